#include "ui/finding_texts.h"

#include <cstring>
#include <string_view>

#include "core/checks.h"
#include "ui/name_text.h"

namespace {

struct Wording {
    const char* id;
    const char* cause;
    const char* text;  // %1, %2, ... are the finding's values in order
};

// clang-format off
const Wording kWordings[] = {
    {"nco-range",        "",             "Частота NCO канала %1 (%2 Гц) вне диапазона 0 ... %3 Гц (половина тактовой частоты)"},
    {"nco-precision",    "",             "Частота NCO канала %1: введено %2 Гц, сохранено %3 Гц (одинарная точность)"},
    {"nco-precision",    "common",       "Общая частота: введено %1 Гц, сохранено %2 Гц (одинарная точность)"},
    {"nco-duplicate",    "",             "Каналы DDC %1 и %2 на АЦП %4 настроены на одну частоту NCO %3 Гц: они дают одни и те же данные"},
    {"data-format",      "",             "Формат данных DDC %1: ни 16 бит (0), ни 24 бита (4)"},
    {"threshold-range",  "",             "Порог компаратора %1 В вне диапазона -2,5...+2,5 В"},
    {"threshold-range",  "sdx",          "Порог компаратора %1 В вне диапазона -2,5...+2,5 В, а старт от SDX"},
    {"program-file",     "",             "Файл программы DDC «%1» не найден в рабочей папке"},
    {"recording-folder", "missing",      "Папки «%1» для прямой записи нет"},
    {"recording-folder", "not-writable", "В папку «%1» для прямой записи нельзя записывать"},
    {"recording-folder", "no-name",      "Имя файла для прямой записи «%1» не называет файла"},
    {"disk-space",       "",             "Запись займёт %1 Кбайт, а на диске папки «%3» свободно %2 Кбайт"},
    {"recording-size",   "empty",        "Запрошено %1 отсчётов на канал: в файл инициализации попадёт 0 буферов"},
    {"recording-size",   "no-channels",  "Не включён ни один канал: в файл инициализации попадёт 0 буферов"},
    {"recording-size",   "no-buffer",    "Размер буфера в exam_ddc.ini (DirFileBufSize) равен %1: в файл инициализации попадёт 0 буферов"},
    {"recording-size",   "negative",     "Число отсчётов на канал %1 меньше нуля: в файл инициализации попадёт 0 буферов"},
    {"recording-size",   "too-large",    "Запись на %1 отсчётов на канал не помещается в 32-разрядные числа: в файл инициализации попадёт 0 буферов"},
    {"recording-size",   "unknown-mode", "Неизвестный источник отсчётов (EnableDDC = %1): размер записи не вычисляется"},
    {"input-source",     "",             "Канал DDC %1 подключён к несуществующему АЦП %2 (есть АЦП 0...3)"},
    {"clock-value",      "internal",     "Внутренняя тактовая частота %1 Гц: нужна частота больше нуля"},
    {"clock-value",      "external",     "Внешняя тактовая частота %1 Гц: нужна частота больше нуля"},
    {"adc-channels",     "",             "Выбраны отсчёты с АЦП, но не включён ни один канал АЦП"},
    {"enum-value",       "",             "%1: значения %2 окно не предлагает (возможно: %3)"},
    {"name-control-char", "",            "%1 содержит символ %2: в файл инициализации такое имя не записать"},
    {"value-too-large",  "",             "%1 = %2: слишком большое число для файлов настроек (вернётся обрезанным)"},
    {"ini-file",         "missing",      "Файла %1 нет: программа сбора не найдёт в нём размер буфера и внутреннюю тактовую частоту"},
    {"ini-file",         "keys",         "В файле %1 нет: %2 (эти значения задаёт программа сбора)"},
    {"ini-duplicates",   "",             "В файле %1 повторяются: %2 (читается и записывается только первое)"},
    {"config-missing-keys", "",          "В файле конфигурации %1 нет ключей: %2 (прочитаны как 0)"},
};

// The settings an "enum-value" finding names, as the window calls them.
const std::pair<const char*, const char*> kSettingNames[] = {
    {"SamplesPerChannel", "Число отсчётов на канал при работе с OSMIR"},
    {"EnableDDC",         "Режим (отсчеты с АЦП или с DDC)"},
    {"WorkMode",          "Режим работы"},
    {"ClockSource",       "Источник тактовой частоты"},
    {"Dither",            "Dither"},
    {"StartSource",       "Источник старта"},
    {"MasterMode",        "Мастер режим"},
    {"DDCSyncMode",       "Режим синхронизации DDC"},
    {"DDCChannelMask",    "Каналы DDC"},
    {"ChannelMask",       "Каналы АЦП"},
    {"AdcGainMask",       "Шкала АЦП"},
};
// clang-format on

QString ValueText(const Finding& finding, std::size_t index, QChar decimalSeparator) {
    const FindingValue& value = finding.values[index];
    if (value.number) {
        QString text =
            QString::fromLatin1(value.text.data(), static_cast<qsizetype>(value.text.size()));
        return text.replace(u'.', decimalSeparator);
    }
    if (finding.id == "enum-value" && index == 0) {
        for (const auto& [key, name] : kSettingNames) {
            if (value.text == key) {
                return QString::fromUtf8(name);
            }
        }
    }
    return DecodeName(value.text).text;
}

}  // namespace

QString FindingText(const Finding& finding, QChar decimalSeparator) {
    const Wording* wording = nullptr;
    for (const Wording& w : kWordings) {
        if (finding.id == w.id && finding.cause == w.cause) {
            wording = &w;
            break;
        }
    }
    if (wording == nullptr) {
        // A rule without Russian words yet still says what it found.
        return QString::fromLocal8Bit(finding.message.data(),
                                      static_cast<qsizetype>(finding.message.size()));
    }
    // %n replaced in one pass, so a value holding "%2" stays as it is.
    const QString text = QString::fromUtf8(wording->text);
    QString result;
    result.reserve(text.size() + 32);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'%' && i + 1 < text.size() && text[i + 1].isDigit()) {
            const std::size_t index = static_cast<std::size_t>(text[i + 1].digitValue() - 1);
            if (index < finding.values.size()) {
                result += ValueText(finding, index, decimalSeparator);
            }
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}
