#include "ui/error_display.h"

#include <QMessageBox>

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
    box.exec();
}

void ShowFileFailure(QWidget* parent, const QString& what, const QString& reason) {
    QString text = what;
    if (!reason.isEmpty()) {
        text += u'\n' + reason;
    }
    QMessageBox box(QMessageBox::Warning, QString(), text, QMessageBox::Ok, parent);
    box.exec();
}
