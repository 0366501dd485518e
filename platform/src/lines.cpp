#include "platform/lines.hpp"
