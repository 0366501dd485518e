#include "orvex/sesion.hpp"
