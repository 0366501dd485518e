// setup: installs Orvex from the folder that holds this program (the setup
// folder) into a folder "Orvex18" below a chosen drive.
//
//   setup                     the two windows
//   setup --install-to ROOT   the same installation without windows into
//                             ROOT/Orvex18; prints each status text. Exit
//                             status 0 installed, 2 ROOT failed the drive
//                             checks (the message says which), 1 bad usage.
#include <QApplication>
#include <cstring>
#include <iostream>
#include <string>

#include "platform/messages.hpp"
#include "platform/paths.hpp"
#include "setup/instalacion.hpp"
#include "setup/unidades.hpp"
#include "vistas.hpp"

namespace {

int instalar_sin_ventanas(const std::filesystem::path& raiz_dada) {
    platform::ConsolePort consola(std::cerr);
    std::error_code ec;
    const std::filesystem::path raiz = std::filesystem::absolute(raiz_dada, ec);
    const std::string ruta = setup::ruta_destino(raiz.lexically_normal().string());
    if (!setup::unidad_disponible(ruta)) {
        consola.message(std::string(setup::kDiscoNoDisponible), std::string(setup::kAdvertencia));
        return 2;
    }
    if (!setup::unidad_escribible(ruta)) {
        consola.message(std::string(setup::kNoEsPosibleInstalar), std::string(setup::kAdvertencia));
        return 2;
    }
    setup::Entorno entorno;
    entorno.carpeta_setup = platform::program_folder();
    entorno.raiz = ruta;
    entorno.carpetas = setup::Carpetas_Usuario();
    entorno.estado = [](std::string_view texto) { std::cout << texto << std::endl; };
    setup::Instalar(entorno);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        if (argc == 3 && std::strcmp(argv[1], "--install-to") == 0 && argv[2][0] != '\0')
            return instalar_sin_ventanas(argv[2]);
        std::cerr << "Uso: setup [--install-to CARPETA]\n";
        return 1;
    }
    QApplication app(argc, argv);
    setup::Programa programa(platform::program_folder(), setup::Lista_Unidades(),
                             setup::Carpetas_Usuario());
    programa.iniciar();
    return app.exec();
}
