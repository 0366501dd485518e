// The stamping steps behind the exported sigmar(), with the hash engine chosen
// by the caller so that both engines can be run on the same files.
#pragma once

#include <cstdint>

#include "sha0.hpp"

namespace sigmarlib {

std::int32_t stamp(const char* argument, Engine engine);

}  // namespace sigmarlib
