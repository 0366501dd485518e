#include "platform/screen_grab.hpp"

#include <QApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

namespace platform {

void ScreenGrabber::grab(const char* name) {
    QApplication::processEvents();
    const QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(0);
    const QString path = QStringLiteral("%1/%2%3-%4.png")
                             .arg(folder_, prefix_)
                             .arg(++count_)
                             .arg(QLatin1String(name));
    if (!picture.save(path))
        std::fprintf(stderr, "%s: no se pudo guardar %s\n", qPrintable(tool_), qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
}

}  // namespace platform
