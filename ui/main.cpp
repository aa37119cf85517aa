// The editor's entry: the command line and the working folder, the application, the settings
// with their defaults, the main window.
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QSettings>
#include <exception>
#include <iostream>
#include <memory>

#include "core/errors.h"
#include "core/settings.h"
#include "files/file_io.h"
#include "ui/error_display.h"
#include "ui/startup.h"
#include "ui/translations.h"
#include "ui/ugform.h"
#include "ui/ugform_folder.h"

int main(int argc, char** argv) {
    // The command line is answered before the window system is touched: --help, --version and a
    // wrong --dir need no display.
    TStartOptions options = ParseCommandLine(argc, argv, std::cout, std::cerr, true);
    if (options.exitCode) {
        return *options.exitCode;
    }

    QApplication app(argc, argv);
    // The application title is empty: message boxes carry no caption of their own. A desktop
    // that refuses an empty caption is given the program's name instead of its file name.
    QApplication::setApplicationName(QStringLiteral("TESSARO Master"));
    QApplication::setApplicationDisplayName(QString());
    // The window belongs to its launcher: docks and task bars show the desktop file's icon and
    // name for it (StartupWMClass there matches the class this gives the window).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tessaro.master"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("tessaro-master")));
    LoadQtTranslations(app);

    if (options.deferred) {
        options = ParseCommandLine(argc, argv, std::cout, std::cerr, false);
        if (options.exitCode) {
            return *options.exitCode;
        }
    }

    if (!options.dirGiven) {
        const std::unique_ptr<QSettings> remembered(NewRememberedFolderSettings());
        if (!options.chooseFolder || !ChooseWorkingFolder(*remembered, AskForWorkingFolder)) {
            SettleWorkingFolder(*remembered, QDir::homePath(), AskForWorkingFolder);
        }
    }

    // Saves in place that a kill cut off, by this program or the command line, are undone first.
    for (const std::string& message : files::RecoverInterruptedSaves()) {
        ShowFileFailure(nullptr, QString::fromUtf8("Запись файла была прервана."),
                        QString::fromLocal8Bit(message));
    }

    try {
        TGForm form;
        form.RememberPlaceIn(std::make_unique<QSettings>(
            QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("TESSARO"),
            QStringLiteral("tessaro-master")));
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
