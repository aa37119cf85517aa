#include "ui/error_display.h"

#include <QMessageBox>

namespace {

// The window the box came from takes the activation back (without a window manager nobody else
// gives it), so that its edits go on reporting focus changes.
void ShowModal(QMessageBox& box, QWidget* parent) {
    box.exec();
    if (parent != nullptr) {
        parent->window()->activateWindow();
    }
}

}  // namespace

QString ErrorDisplayText(const QString& message) {
    QString text = message;
    if (!text.isEmpty() && text.back().unicode() > u'.') {
        text += u'.';
    }
    return text;
}

void ShowErrorMessage(QWidget* parent, const QString& message) {
    QMessageBox box(QMessageBox::Critical, QString(), ErrorDisplayText(message), QMessageBox::Ok,
                    parent);
    ShowModal(box, parent);
}

void ShowFileFailure(QWidget* parent, const QString& what, const QString& reason) {
    QString text = what;
    if (!reason.isEmpty()) {
        text += u'\n' + reason;
    }
    QMessageBox box(QMessageBox::Warning, QString(), text, QMessageBox::Ok, parent);
    ShowModal(box, parent);
}
