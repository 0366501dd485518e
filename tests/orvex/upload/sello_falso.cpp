// A stand-in stamp library for tests of the build's result handling: `sigmar`
// returns the number in the environment variable ORVEX_SELLO_FALSO (0 when
// unset) and touches no file.
#include <cstdint>
#include <cstdlib>

extern "C" __attribute__((visibility("default"))) std::int32_t sigmar(const char*) {
    const char* valor = std::getenv("ORVEX_SELLO_FALSO");
    return valor ? static_cast<std::int32_t>(std::strtol(valor, nullptr, 10)) : 0;
}
