#include "platform/messages.hpp"
