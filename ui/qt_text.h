// The window's text conversions: its own texts (UTF-8 in the sources), messages from the layers
// below (the locale's encoding) and file names (bytes, as the files hold them).
#pragma once

#include <QFile>
#include <QString>
#include <string>

namespace ugform {

inline QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

inline QString FromLocal(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToFileName(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

}  // namespace ugform
