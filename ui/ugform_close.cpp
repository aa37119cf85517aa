// Closing the window: std.cfg is saved silently in the ordinary case, and the user is asked only
// where saving would lose something: an outside change of the file (a "set" from the command
// line, an editor) or the settings themselves when the file cannot be written. Settings that
// differ from exam_ddc.ini ask nothing: a configuration may be prepared for later, and the mark
// beside the write button said so while the window was open.
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

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

enum class ChangedAnswer { Overwrite, KeepFile, Cancel };
enum class FailedAnswer { Retry, SaveAs, CloseWithoutSaving, Cancel };

// Cancel is the default of both questions: Enter keeps the window, and so loses nothing.
ChangedAnswer AskChangedOnDisk(QWidget* parent) {
    QMessageBox box(QMessageBox::Warning, QString(),
                    Text("Файл %1 изменён на диске после того, как окно его считало или "
                         "записало.")
                        .arg(StartupName()),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setObjectName(QStringLiteral("ConfigChangedOnCloseQuestion"));
    box.setInformativeText(
        Text("Записать в него настройки окна (изменения в файле пропадут) или "
             "оставить файл как есть (пропадут изменения в окне)?"));
    box.button(QMessageBox::Save)->setText(Text("Перезаписать"));
    box.button(QMessageBox::Discard)->setText(Text("Оставить файл"));
    box.button(QMessageBox::Cancel)->setText(Text("Отмена"));
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Save:
            return ChangedAnswer::Overwrite;
        case QMessageBox::Discard:
            return ChangedAnswer::KeepFile;
        default:
            return ChangedAnswer::Cancel;
    }
}

FailedAnswer AskSaveFailed(QWidget* parent, const QString& what, const QString& reason) {
    QMessageBox box(
        QMessageBox::Critical, QString(), what,
        QMessageBox::Retry | QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
        parent);
    box.setObjectName(QStringLiteral("SaveFailedOnCloseQuestion"));
    box.setInformativeText(reason + (reason.isEmpty() ? QString() : Text("\n\n")) +
                           Text("Без сохранения настройки окна пропадут."));
    box.button(QMessageBox::Retry)->setText(Text("Повторить"));
    box.button(QMessageBox::Save)->setText(Text("Сохранить как…"));
    box.button(QMessageBox::Discard)->setText(Text("Закрыть без сохранения"));
    box.button(QMessageBox::Cancel)->setText(Text("Отмена"));
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
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

}  // namespace

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
    // A std.cfg that could not be read at start is replaced only when the user says so.
    if (startupConfigUnread_) {
        const std::optional<std::string> name = ConfigToSaveOnClose();
        if (!name) {
            return true;
        }
        if (*name != TSettings::StartupConfigName) {
            std::string reason;
            if (!WriteConfig(*name, Settings, &reason)) {
                ShowFileFailure(this,
                                Text("Настройки не сохранены: не удалось записать файл ") +
                                    FromLocal(*name) + u'.',
                                FromLocal(reason));
            }
            return true;
        }
    }
    if (StartupConfigChangedOnDisk()) {
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
    // Each attempt starts with no reason: a write that succeeds may still leave a warning in it.
    const auto write = [&] {
        reason.clear();
        return WriteConfig(TSettings::StartupConfigName, Settings, &reason);
    };
    for (bool saved = write(); !saved; saved = write()) {
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
            QFileDialog* dialog = FileDialog("SaveDialog3");
            const QString saved = QDir::currentPath();
            dialog->setDirectory(saved);
            const bool chosen =
                dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty();
            QDir::setCurrent(saved);
            if (!chosen) {
                continue;
            }
            const QString path = dialog->selectedFiles().constFirst();
            if (WriteConfig(ToFileName(path), Settings, &reason)) {
                return true;
            }
            what = Text("Настройки не сохранены: не удалось записать файл ") + path + u'.';
        }
        what = Text("Настройки не сохранены: не удалось записать файл ") + StartupName() + u'.';
    }
    if (!reason.empty()) {
        // Written, but the flush after the rename could not be confirmed.
        ShowFileFailure(this,
                        Text("Настройки сохранены, но не всё удалось подтвердить: ") +
                            StartupName(),
                        FromLocal(reason));
    }
    RememberStartupConfig();
    return true;
}
