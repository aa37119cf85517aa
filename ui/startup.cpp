#include "ui/startup.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <string>
#include <system_error>

#include "tessaro_version.h"

namespace {

constexpr char kProgram[] = "tessaro-master";

// The folder as the bytes it was given in: file names are not decoded on the way through.
bool EnterFolder(const std::string& folder) {
    std::error_code error;
    if (folder.empty() || !std::filesystem::is_directory(folder, error)) {
        return false;
    }
    std::filesystem::current_path(folder, error);
    return !error;
}

// The value of the last --dir as it stood in argv (the parser has it decoded, maybe lossily).
std::string RawDirArgument(int argc, char** argv) {
    static constexpr char kOption[] = "--dir";
    static constexpr std::size_t kLength = sizeof kOption - 1;
    std::string value;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) {
            break;
        }
        if (std::strcmp(argv[i], kOption) == 0 && i + 1 < argc) {
            value = argv[++i];
        } else if (std::strncmp(argv[i], kOption, kLength) == 0 && argv[i][kLength] == '=') {
            value = argv[i] + kLength + 1;
        }
    }
    return value;
}

std::string Local(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

QString Canonical(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(path) : canonical;
}

}  // namespace

TStartOptions ParseCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err,
                               bool beforeApplication) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Settings editor for the TESSARO receiver module.\n"
        "Works in the acquisition program's folder (std.cfg, exam_ddc.ini, CONFIGS, MODSET,\n"
        "PRGFILES): the one given with --dir, else the folder it is started in. Started from\n"
        "the home folder, it asks once for its working folder and remembers it.\n"
        "Exit status: 0 when the window is closed, 2 for a wrong command line or a --dir\n"
        "that is not a folder."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Print the version and exit."));
    parser.addOption(version);
    const QCommandLineOption dir(QStringLiteral("dir"),
                                 QStringLiteral("Work in folder DIR (it must exist)."),
                                 QStringLiteral("DIR"));
    parser.addOption(dir);
    const QCommandLineOption chooseFolder(
        QStringLiteral("choose-folder"),
        QStringLiteral("Ask for the working folder first and remember the answer. The folder is\n"
                       "remembered in ~/.config/TESSARO/tessaro-master.conf (key workingFolder)."));
    parser.addOption(chooseFolder);

    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    TStartOptions options;
    const bool parsed = parser.parse(arguments);
    if (beforeApplication && (!parsed || !parser.positionalArguments().isEmpty() ||
                              parser.isSet(QStringLiteral("help-all")))) {
        options.deferred = true;
        return options;
    }
    if (!parsed) {
        err << kProgram << ": " << Local(parser.errorText()) << "\nTry '" << kProgram
            << " --help'.\n";
        options.exitCode = kUsageExitStatus;
        return options;
    }
    if (parser.isSet(QStringLiteral("help-all"))) {
        parser.process(arguments);  // prints the help with Qt's own options and ends the program
    }
    if (parser.isSet(help)) {
        // Without an application object the parser cannot name the program itself.
        QString text = parser.helpText();
        text.replace(QStringLiteral("<executable_name>"), QLatin1String(kProgram));
        out << Local(text);
        options.exitCode = 0;
        return options;
    }
    if (parser.isSet(version)) {
        out << kProgram << ' ' << kTessaroVersionText << '\n';
        options.exitCode = 0;
        return options;
    }
    if (!parser.positionalArguments().isEmpty()) {
        err << kProgram << ": unexpected argument '" << Local(parser.positionalArguments().front())
            << "'\nTry '" << kProgram << " --help'.\n";
        options.exitCode = kUsageExitStatus;
        return options;
    }
    if (parser.isSet(dir)) {
        const std::string folder = RawDirArgument(argc, argv);
        if (!EnterFolder(folder)) {
            err << kProgram << ": --dir: no such folder: " << folder << '\n';
            options.exitCode = kUsageExitStatus;
            return options;
        }
        options.dirGiven = true;
    }
    options.chooseFolder = parser.isSet(chooseFolder) && !options.dirGiven;
    return options;
}

void SettleWorkingFolder(QSettings& remembered, const QString& home,
                         const std::function<QString(const QString&)>& ask) {
    // The root folder is where some launchers start a program; nobody keeps a lab's files there.
    const QString here = Canonical(QDir::currentPath());
    if (here != Canonical(home) && here != QDir::rootPath()) {
        return;
    }
    const QByteArray saved = remembered.value(QLatin1String(kWorkingFolderKey)).toByteArray();
    if (EnterFolder(saved.toStdString())) {
        return;
    }
    // A cancelled question leaves this run in the folder it was started in and remembers
    // nothing, so the next start asks again.
    const QString chosen = ask(home);
    if (chosen.isEmpty()) {
        return;
    }
    const QByteArray folder = QFile::encodeName(chosen);
    if (EnterFolder(folder.toStdString())) {
        remembered.setValue(QLatin1String(kWorkingFolderKey), folder);
        remembered.sync();
    }
}

QString AskForWorkingFolder(const QString& startIn) {
    QFileDialog dialog(
        nullptr, QString::fromUtf8("Рабочая папка: папка программы сбора с exam_ddc.ini"), startIn);
    dialog.setObjectName(QStringLiteral("WorkingFolderDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}
