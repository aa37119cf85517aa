#include "ui/name_text.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <optional>

#include "core/cp1251.h"

namespace {

bool ToCp1251(const QString& text, std::string& bytes) {
    bytes.clear();
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            bytes.push_back(static_cast<char>(u));
            continue;
        }
        const std::optional<unsigned char> byte = cp1251::FromUnicode(u);
        if (!byte) {
            return false;
        }
        bytes.push_back(static_cast<char>(*byte));
    }
    return true;
}

}  // namespace

ShownName DecodeName(const std::string& bytes) {
    QStringDecoder local(QStringDecoder::System, QStringDecoder::Flag::Stateless);
    QString text = local.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!local.hasError()) {
        return {text, NameEncoding::Local};
    }
    text.clear();
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        text.append(QChar(cp1251::ToUnicode(b)));
    }
    return {text, NameEncoding::Cp1251};
}

std::string EncodeName(const QString& text, NameEncoding encoding) {
    if (encoding == NameEncoding::Cp1251) {
        std::string bytes;
        if (ToCp1251(text, bytes)) {
            return bytes;
        }
    }
    QStringEncoder local(QStringEncoder::System, QStringEncoder::Flag::Stateless);
    const QByteArray bytes = local.encode(text);
    return bytes.toStdString();
}
