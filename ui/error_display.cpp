#include "ui/error_display.h"

#include <QMessageBox>
#include <QPushButton>

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

QMessageBox::StandardButton AskOrCancel(QWidget* parent, QMessageBox::Icon icon, const char* name,
                                        const QString& text, const QString& informative,
                                        std::initializer_list<QuestionAnswer> answers) {
    QMessageBox::StandardButtons buttons = QMessageBox::Cancel;
    for (const QuestionAnswer& answer : answers) {
        buttons |= answer.button;
    }
    QMessageBox box(icon, QString(), text, buttons, parent);
    box.setObjectName(QString::fromLatin1(name));
    box.setInformativeText(informative);
    for (const QuestionAnswer& answer : answers) {
        box.button(answer.button)->setText(QString::fromUtf8(answer.label));
    }
    box.button(QMessageBox::Cancel)->setText(QString::fromUtf8("Отмена"));
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    ShowModal(box, parent);
    return static_cast<QMessageBox::StandardButton>(box.result());
}
