// Closing the window: std.cfg is saved silently in the ordinary case, and the user is asked only
// where saving would lose something: a std.cfg the window could not read at start (it holds the
// defaults instead), an outside change of the file (a "set" from the command line, an editor) or
// the settings themselves when the file cannot be written. Settings that
// differ from exam_ddc.ini ask nothing: a configuration may be prepared for later, and the mark
// beside the write button said so while the window was open.
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include "files/config_file.h"
#include "ui/error_display.h"
#include "ui/ugform.h"
#include "ui/ugform_internal.h"

using namespace ugform;

namespace {

// std.cfg as it is on disk now; nothing when it is not there or cannot be read.
std::optional<QByteArray> StartupConfigOnDisk() {
    QFile file(QFile::decodeName(TSettings::StartupConfigName));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return file.readAll();
}

QByteArray Bytes(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

QString StartupName() {
    return QString::fromLatin1(TSettings::StartupConfigName);
}

enum class UnreadAnswer { Replace, SaveElsewhere, DontSave, Cancel };
enum class ChangedAnswer { Overwrite, KeepFile, Cancel };
enum class FailedAnswer { Retry, SaveAs, CloseWithoutSaving, Cancel };

UnreadAnswer AskUnreadOnClose(QWidget* parent) {
    switch (AskOrCancel(parent, QMessageBox::Warning, "UnreadConfigOnCloseQuestion",
                        Text("Файл %1 при запуске считать не удалось, и в окне настройки по "
                             "умолчанию.")
                            .arg(StartupName()),
                        Text("Заменить его настройками окна?"),
                        {{QMessageBox::Yes, "Заменить"},
                         {QMessageBox::Save, "Сохранить в другой файл…"},
                         {QMessageBox::Discard, "Не сохранять"}})) {
        case QMessageBox::Yes:
            return UnreadAnswer::Replace;
        case QMessageBox::Save:
            return UnreadAnswer::SaveElsewhere;
        case QMessageBox::Discard:
            return UnreadAnswer::DontSave;
        default:
            return UnreadAnswer::Cancel;
    }
}

ChangedAnswer AskChangedOnDisk(QWidget* parent) {
    switch (AskOrCancel(
        parent, QMessageBox::Warning, "ConfigChangedOnCloseQuestion",
        Text("Файл %1 изменён на диске после того, как окно его считало или "
             "записало.")
            .arg(StartupName()),
        Text("Записать в него настройки окна (изменения в файле пропадут) или "
             "оставить файл как есть (пропадут изменения в окне)?"),
        {{QMessageBox::Save, "Перезаписать"}, {QMessageBox::Discard, "Оставить файл"}})) {
        case QMessageBox::Save:
            return ChangedAnswer::Overwrite;
        case QMessageBox::Discard:
            return ChangedAnswer::KeepFile;
        default:
            return ChangedAnswer::Cancel;
    }
}

FailedAnswer AskSaveFailed(QWidget* parent, const QString& what, const QString& reason) {
    switch (AskOrCancel(parent, QMessageBox::Critical, "SaveFailedOnCloseQuestion", what,
                        reason + (reason.isEmpty() ? QString() : Text("\n\n")) +
                            Text("Без сохранения настройки окна пропадут."),
                        {{QMessageBox::Retry, "Повторить"},
                         {QMessageBox::Save, "Сохранить как…"},
                         {QMessageBox::Discard, "Закрыть без сохранения"}})) {
        case QMessageBox::Retry:
            return FailedAnswer::Retry;
        case QMessageBox::Save:
            return FailedAnswer::SaveAs;
        case QMessageBox::Discard:
            return FailedAnswer::CloseWithoutSaving;
        default:
            return FailedAnswer::Cancel;
    }
}

// Another file for the settings, chosen in the save dialog opened in the working folder; empty
// when cancelled.
QString ChooseOtherFile(QFileDialog* dialog) {
    const QString saved = QDir::currentPath();
    dialog->setDirectory(saved);
    const bool chosen = dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty();
    QDir::setCurrent(saved);
    return chosen ? dialog->selectedFiles().constFirst() : QString();
}

}  // namespace

// A save that was done but not wholly confirmed (a folder not flushed) is said as such.
void TGForm::TellSaveWarning(const QString& path, const std::string& warning) {
    if (!warning.empty()) {
        ShowFileFailure(this, Text("Настройки сохранены, но не всё удалось подтвердить: ") + path,
                        FromLocal(warning));
    }
}

void TGForm::RememberStartupConfig() {
    const std::optional<QByteArray> bytes = StartupConfigOnDisk();
    startupConfigKnown_ = true;
    startupConfigExisted_ = bytes.has_value();
    startupConfigBytes_ = bytes ? bytes->toStdString() : std::string();
}

// A file that is gone, or holds what the window read or last saved, or what it would write now,
// has nothing a save would lose.
bool TGForm::StartupConfigChangedOnDisk() const {
    if (!startupConfigKnown_) {
        return false;
    }
    const std::optional<QByteArray> now = StartupConfigOnDisk();
    if (!now) {
        return false;
    }
    if (startupConfigExisted_ && *now == Bytes(startupConfigBytes_)) {
        return false;
    }
    return *now != Bytes(ConfigText(Settings));
}

bool TGForm::DecideClose() {
    // Asked before anything else: whatever has happened to the file since, the window never had
    // its settings.
    while (startupConfigUnread_) {
        const UnreadAnswer answer = AskUnreadOnClose(this);
        if (answer == UnreadAnswer::Replace) {
            break;
        }
        if (answer == UnreadAnswer::DontSave) {
            return true;
        }
        if (answer == UnreadAnswer::Cancel) {
            return false;
        }
        // Another file; a cancelled dialog or a failed save asks again.
        const QString path = ChooseOtherFile(FileDialog("SaveDialog3"));
        if (path.isEmpty()) {
            continue;
        }
        std::string reason;
        if (WriteConfig(ToFileName(path), Settings, &reason)) {
            TellSaveWarning(path, reason);
            return true;
        }
        ShowFileFailure(this,
                        Text("Настройки не сохранены: не удалось записать файл ") + path + u'.',
                        FromLocal(reason));
    }
    if (!startupConfigUnread_ && StartupConfigChangedOnDisk()) {
        switch (AskChangedOnDisk(this)) {
            case ChangedAnswer::Overwrite:
                break;
            case ChangedAnswer::KeepFile:
                return true;
            case ChangedAnswer::Cancel:
                return false;
        }
    }
    QString what = Text("Настройки не сохранены: не удалось записать файл ") + StartupName() + u'.';
    std::string reason;
    for (bool saved = WriteConfig(TSettings::StartupConfigName, Settings, &reason); !saved;
         saved = WriteConfig(TSettings::StartupConfigName, Settings, &reason)) {
        for (;;) {
            const FailedAnswer answer = AskSaveFailed(this, what, FromLocal(reason));
            if (answer == FailedAnswer::Retry) {
                break;
            }
            if (answer == FailedAnswer::CloseWithoutSaving) {
                return true;
            }
            if (answer == FailedAnswer::Cancel) {
                return false;
            }
            // Save as: another folder; a cancelled dialog asks again.
            const QString path = ChooseOtherFile(FileDialog("SaveDialog3"));
            if (path.isEmpty()) {
                continue;
            }
            if (WriteConfig(ToFileName(path), Settings, &reason)) {
                TellSaveWarning(path, reason);
                return true;
            }
            what = Text("Настройки не сохранены: не удалось записать файл ") + path + u'.';
        }
        what = Text("Настройки не сохранены: не удалось записать файл ") + StartupName() + u'.';
    }
    TellSaveWarning(StartupName(), reason);
    startupConfigUnread_ = false;
    RememberStartupConfig();
    return true;
}
