// The application's error display: a failure's message in a modal message box.
#pragma once

#include <QString>

class QWidget;

// The message with a full stop appended when it is not empty and does not already end in a
// character at or below '.'; shown with the critical icon, one OK button and the empty title.
QString ErrorDisplayText(const QString& message);
void ShowErrorMessage(QWidget* parent, const QString& message);

// A file operation that failed: which file and why, with the same empty title.
void ShowFileFailure(QWidget* parent, const QString& what, const QString& reason);
