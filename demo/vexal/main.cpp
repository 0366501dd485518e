// Vexal for the demo install tree: a demonstration stand-in for the outside
// validator of the form-1832 editor. It is started by the editor with no
// arguments and works on the install folder that holds it.
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/paths.hpp"
#include "vexal.hpp"

namespace {

constexpr const char* kAyuda =
    "uso: Vexal [--install CARPETA]\n"
    "\n"
    "Validador de DEMOSTRACIÓN para el editor del formulario 1832. No es el validador real:\n"
    "solo cumple lo que el editor espera de él (lee Forms/Temp/Temporal.txt, escribe\n"
    "Forms/Temp/errores.txt y termina) y revisa unas pocas cosas visibles: el nombre (H012a),\n"
    "el correo (H012d), el dígito verificador de cada donante (H017) y la fecha de cada\n"
    "donación (H018), el monto total (H020a) y el número de casos (H020c).\n";

}  // namespace

int main(int argc, char** argv) {
    std::filesystem::path install = platform::program_folder();
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kAyuda, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--install") == 0 && i + 1 < argc) {
            install = std::filesystem::absolute(argv[++i]);
        } else {
            std::fputs(kAyuda, stderr);
            return 2;
        }
    }
    const auto datos = vexal::leer_datos(platform::join(install, "Forms/Temp/Temporal.txt"));
    const bool escrito = vexal::escribir_errores(platform::join(install, "FORMS/TEMP/errores.txt"),
                                                 vexal::revisar(datos));
    return escrito ? 0 : 1;
}
