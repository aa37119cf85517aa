// File names as the window shows them. Names are bytes: the files hold them as the system that
// wrote them spelt them, and they go back to the files byte for byte.
#pragma once

#include <QString>
#include <string>

// How a name's bytes were turned into the text shown.
enum class NameEncoding {
    Local,   // the locale's encoding (UTF-8 on today's desktops)
    Cp1251,  // Windows-1251, the code page of names written on Russian Windows systems
};

struct ShownName {
    QString text;
    NameEncoding encoding = NameEncoding::Local;
};

// Bytes valid in the locale's encoding are shown decoded with it; any other bytes are shown
// decoded as Windows-1251, so that a name from a Russian Windows system reads as it was written
// instead of as replacement characters.
ShownName DecodeName(const std::string& bytes);

// The bytes of an edited name, in the encoding it was shown in. A Windows-1251 name the user
// extended with a character that code page has no byte for is encoded whole in the locale's
// encoding instead: one name never mixes two encodings.
std::string EncodeName(const QString& text, NameEncoding encoding);
