// Start-up, whole process: the editor's window shown and loaded in the working folder, then quit
// at its first paint. Run by startup.sh next to startup_label.
#include <QApplication>

#include "core/settings.h"
#include "first_paint.h"
#include "ui/translations.h"
#include "ui/ugform.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // As main does it, but for the command line, which asks nothing of the window system.
    QApplication::setApplicationDisplayName(QString());
    LoadQtTranslations(app);
    TGForm form;
    GForm = &form;
    QuitAtFirstPaint(form);
    form.show();
    const int status = QApplication::exec();
    GForm = nullptr;
    return status;
}
