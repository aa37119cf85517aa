// What the window's source files share: the controls' classes, text conversions and casts.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QString>
#include <string>

namespace ugform {

// Dynamic properties of the edits: the text the last refresh showed, and how a name's bytes were
// decoded for showing (a NameEncoding).
inline constexpr char kShownTextProperty[] = "shownText";
inline constexpr char kNameEncodingProperty[] = "nameEncoding";

inline QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

inline QString FromLocal(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToFileName(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

inline QCheckBox* Box(QWidget* control) {
    return static_cast<QCheckBox*>(control);
}

inline QLineEdit* EditOf(QWidget* control) {
    return static_cast<QLineEdit*>(control);
}

}  // namespace ugform
