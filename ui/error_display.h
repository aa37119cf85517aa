// The application's message boxes: a failure's message, and the questions the window asks before
// it would lose something.
#pragma once

#include <QMessageBox>
#include <QString>
#include <initializer_list>

class QWidget;

// The message with a full stop appended when it is not empty and does not already end in a
// character at or below '.'; shown with the critical icon, one OK button and the empty title.
QString ErrorDisplayText(const QString& message);
void ShowErrorMessage(QWidget* parent, const QString& message);

// A file operation that failed: which file and why, with the same empty title.
void ShowFileFailure(QWidget* parent, const QString& what, const QString& reason);

// One answer of a question: the standard button that stands for it, and its label.
struct QuestionAnswer {
    QMessageBox::StandardButton button;
    const char* label;  // UTF-8
};

// Asks with the empty title, `text` and `informative` below it, the answers and "Отмена" last.
// Cancel is the default and the Escape: Enter keeps things as they are, and so loses nothing. The
// box carries `name` as its object name. Returns the answer's button, or Cancel.
QMessageBox::StandardButton AskOrCancel(QWidget* parent, QMessageBox::Icon icon, const char* name,
                                        const QString& text, const QString& informative,
                                        std::initializer_list<QuestionAnswer> answers);
