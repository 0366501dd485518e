#include "platform/numtext.hpp"
