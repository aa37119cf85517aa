// The four file dialogs and the handlers that open them.
#include "ui/ugform.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <algorithm>
#include <bit>
#include <cmath>
#include <exception>
#include <vector>

#include "core/editing_rules.h"
#include "core/errors.h"
#include "core/number_text.h"
#include "core/recording_size.h"
#include "files/config_file.h"
#include "files/ini_file.h"
#include "ui/error_display.h"
#include "ui/number_display.h"
#include "ui/ugform_internal.h"

using namespace ugform;

namespace {

// The four file dialogs: name, kind, filter and default suffix.
// clang-format off
struct DialogRow {
    const char* name;
    QFileDialog::AcceptMode mode;
    const char* filter;
    const char* suffix;
};
const DialogRow kDialogs[] = {
    {"SaveDialog1", QFileDialog::AcceptSave, "DataFileA TESSARO(*.bin)",   "bin"},
    {"SaveDialog3", QFileDialog::AcceptSave, "ConfigFiles TESSARO(*.cfg)", "cfg"},
    {"OpenDialog1", QFileDialog::AcceptOpen, "ConfigFiles TESSARO(*.cfg)", "cfg"},
    {"OpenDialog2", QFileDialog::AcceptOpen, "FileConfig  DDC(*.prg)",     "prg"},
};
// clang-format on

// Restores the working directory when a dialog operation ends, however it ends.
class WorkingDirectoryKeeper {
  public:
    WorkingDirectoryKeeper() : saved_(QDir::currentPath()) {}
    ~WorkingDirectoryKeeper() { QDir::setCurrent(saved_); }
    WorkingDirectoryKeeper(const WorkingDirectoryKeeper&) = delete;
    WorkingDirectoryKeeper& operator=(const WorkingDirectoryKeeper&) = delete;
    const QString& Path() const { return saved_; }

  private:
    QString saved_;
};

// A sub-folder of the working directory as a dialog's first folder; the working directory
// itself when the sub-folder is not there.
QString FolderIn(const QString& workingDirectory, const char* name) {
    const QDir dir(workingDirectory);
    return dir.exists(QString::fromLatin1(name)) ? dir.filePath(QString::fromLatin1(name))
                                                 : workingDirectory;
}

// Opens the dialog at `folder` and returns the chosen full path, or an empty text when cancelled.
// The dialog is reused, so its name field and list would keep what was typed or picked before a
// cancel: both start again from the full path last chosen in it (which opens its folder instead),
// or empty.
QString ChooseFile(QFileDialog* dialog, const QString& folder) {
    dialog->setDirectory(folder);
    for (const char* name : {"listView", "treeView"}) {
        if (auto* view = dialog->findChild<QAbstractItemView*>(QString::fromLatin1(name));
            view != nullptr && view->selectionModel() != nullptr) {
            view->selectionModel()->clearSelection();
        }
    }
    const QString last = dialog->property("lastChosen").toString();
    if (!last.isEmpty()) {
        dialog->selectFile(last);
    }
    if (auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
        field->setText(QDir::toNativeSeparators(last));
    }
    const int result = dialog->exec();
    // A completion list still open when Enter accepted the name would stay over the window.
    for (QCompleter* completer : dialog->findChildren<QCompleter*>()) {
        if (QWidget* popup = completer->popup(); popup->isVisible()) {
            popup->hide();
        }
    }
    dialog->parentWidget()->activateWindow();
    if (result != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return {};
    }
    const QString chosen = dialog->selectedFiles().constFirst();
    dialog->setProperty("lastChosen", chosen);
    return chosen;
}

}  // namespace

// A dialog is built when it first opens, as building all four costs about as much as the rest
// of the window; from then on it belongs to the window and keeps its last folder and file.
QFileDialog* TGForm::FileDialog(const char* name) {
    const QString objectName = QString::fromLatin1(name);
    if (auto* built = findChild<QFileDialog*>(objectName, Qt::FindDirectChildrenOnly)) {
        return built;
    }
    for (const DialogRow& row : kDialogs) {
        if (objectName != QLatin1String(row.name)) {
            continue;
        }
        auto* d = new QFileDialog(this);
        d->setObjectName(objectName);
        d->setOption(QFileDialog::DontUseNativeDialog);
        d->setAcceptMode(row.mode);
        // Opened files are not checked for existence; a missing one is reported when read.
        d->setFileMode(QFileDialog::AnyFile);
        d->setNameFilter(Text(row.filter));
        d->setDefaultSuffix(QString::fromLatin1(row.suffix));
        return d;
    }
    return nullptr;
}

// The file dialogs leave the working directory alone: files are read and written at the full
// chosen path, and the working directory is put back however the operation ends. A chosen path
// too long for a string setting is refused by the editing rule with its message.

void TGForm::Button10Click(QObject*) {
    const WorkingDirectoryKeeper keeper;
    const QString path = ChooseFile(FileDialog("SaveDialog1"), keeper.Path());
    if (path.isEmpty()) {
        return;
    }
    SetDirFileName(Settings, ToFileName(path));
    UpdateAndRefresh();
}

void TGForm::Button11Click(QObject*) {
    const WorkingDirectoryKeeper keeper;
    const QString path = ChooseFile(FileDialog("OpenDialog2"), FolderIn(keeper.Path(), "PRGFILES"));
    if (path.isEmpty()) {
        return;
    }
    SetDdcProgramFromPath(Settings, ToFileName(path));
    UpdateAndRefresh();
}

void TGForm::Button13Click(QObject*) {
    const WorkingDirectoryKeeper keeper;
    const QString path = ChooseFile(FileDialog("SaveDialog3"), FolderIn(keeper.Path(), "CONFIGS"));
    if (path.isEmpty()) {
        return;
    }
    std::string reason;
    if (!WriteConfig(ToFileName(path), Settings, &reason)) {
        ShowFileFailure(this, Text("Файл конфигурации не записан: ") + path, FromLocal(reason));
        return;
    }
    if (!reason.empty()) {
        ShowFileFailure(this,
                        Text("Файл конфигурации записан, но не всё удалось подтвердить: ") + path,
                        FromLocal(reason));
    }
    ConfigNameFromPath(Settings, ToFileName(path));
    // Saved over std.cfg itself: that is now the file the window knows.
    if (QFileInfo(path) == QFileInfo(QFile::decodeName(TSettings::StartupConfigName))) {
        startupConfigUnread_ = false;
        RememberStartupConfig();
    }
    UpdateAndRefresh();
}

void TGForm::Button12Click(QObject*) {
    const WorkingDirectoryKeeper keeper;
    const QString path = ChooseFile(FileDialog("OpenDialog1"), FolderIn(keeper.Path(), "MODSET"));
    if (path.isEmpty()) {
        return;
    }
    std::string reason;
    std::vector<std::string> missingKeys;
    if (!ReadConfig(ToFileName(path), Settings, &reason, &missingKeys)) {
        ShowFileFailure(this, Text("Файл конфигурации не считан: ") + path, FromLocal(reason));
        return;
    }
    ConfigNameFromPath(Settings, ToFileName(path));
    configRead_ = {Settings.CurrentConfigName, std::move(missingKeys)};
    UpdateAndRefresh();
}
