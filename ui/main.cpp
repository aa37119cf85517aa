// The editor's entry: the application, the settings with their defaults, the main window.
#include <QApplication>
#include <exception>

#include "core/errors.h"
#include "core/settings.h"
#include "ui/error_display.h"
#include "ui/translations.h"
#include "ui/ugform.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The application title is empty: message boxes carry no caption of their own. A desktop
    // that refuses an empty caption is given the program's name instead of its file name.
    QApplication::setApplicationName(QStringLiteral("TESSARO Master"));
    QApplication::setApplicationDisplayName(QString());
    LoadQtTranslations(app);
    try {
        Settings = TSettings{};
        TGForm form;
        GForm = &form;
        form.show();
        const int result = QApplication::exec();
        GForm = nullptr;
        return result;
    } catch (const SettingsError& e) {
        ShowErrorMessage(nullptr, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        // Any other failure is shown with the empty message.
        ShowErrorMessage(nullptr, QString());
    }
    GForm = nullptr;
    return 1;
}
