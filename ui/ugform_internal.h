// What the window's source files share: the controls' classes, text conversions and casts.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QString>
#include <string>

#include "ui/qt_text.h"

namespace ugform {

// Dynamic properties of the edits: the text the last refresh showed, and how a name's bytes were
// decoded for showing (a NameEncoding).
inline constexpr char kShownTextProperty[] = "shownText";
inline constexpr char kNameEncodingProperty[] = "nameEncoding";

inline QCheckBox* Box(QWidget* control) {
    return static_cast<QCheckBox*>(control);
}

inline QLineEdit* EditOf(QWidget* control) {
    return static_cast<QLineEdit*>(control);
}

}  // namespace ugform
