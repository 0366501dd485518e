#include "orvex/catalogo.hpp"
