// pelmo: the form-1832 editor. Its install folder is the folder that holds it.
#include <QApplication>

#include "arranque.hpp"
#include "platform/paths.hpp"
#include "platform/process.hpp"
#include "platform/qt_port.hpp"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool otra_copia = platform::another_copy_running();
    platform::QtPort port;
    auto programa = pelmo::Arrancar(platform::program_folder(), port, otra_copia);
    if (!programa) return 0;
    return app.exec();
}
