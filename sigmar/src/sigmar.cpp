#include "sigmar/sigmar.h"

#include "stamp.hpp"

extern "C" SIGMAR_API int32_t sigmar(const char* argument) {
    return sigmarlib::stamp(argument, sigmarlib::fastest_engine());
}
