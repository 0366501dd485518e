#include "orvex/externos.hpp"
