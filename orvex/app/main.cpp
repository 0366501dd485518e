// orvex: the desktop program. Its install folder is the folder that holds it.
#include <QApplication>

#include "arranque.hpp"
#include "platform/paths.hpp"
#include "platform/process.hpp"
#include "platform/qt_port.hpp"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool otra_copia = platform::another_copy_running();
    orvex::Marco marco;
    platform::QtPort port(&marco);
    if (!orvex::Arrancar(marco, platform::program_folder(), port, otra_copia)) return 0;
    return app.exec();
}
