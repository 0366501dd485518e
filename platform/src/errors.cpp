#include "platform/errors.hpp"
