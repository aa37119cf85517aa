// Start-up, whole process: the yardstick, a Qt program showing one label, quit at its first
// paint. Run by startup.sh next to startup_window.
#include <QApplication>
#include <QLabel>

#include "first_paint.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label(QString::fromUtf8(" Мастер TESSARO"));
    QuitAtFirstPaint(label);
    label.show();
    return QApplication::exec();
}
