// A failure that ends the start-up: error number and description.
#pragma once

#include <stdexcept>
#include <string>

#include "platform/errors.hpp"

namespace pelmo {

class ErrorArranque : public std::runtime_error {
  public:
    explicit ErrorArranque(platform::RuntimeError e)
        : std::runtime_error(e.description), error(std::move(e)) {}
    platform::RuntimeError error;
};

}  // namespace pelmo
