#include "core/setting_catalogue.h"

#include <stdexcept>

#include "core/digits.h"
#include "core/errors.h"

namespace {

using F = ValueFormat;
using W = IniWrite;
constexpr const char* S1 = kOptionSection;
constexpr const char* S2 = kDeviceSection;

// clang-format off
// The values the window offers and their item texts, as the lists and buttons show them.
constexpr SettingOption kSampleCounts[] = {
    {1024, " 1024"}, {2048, " 2048"}, {4096, " 4096"}, {8192, " 8192"}, {16384, "16384"}};
constexpr SettingOption kSampleSources[] = {{0, "отсчеты с АЦП"}, {1, "отсчеты с DDC"}};
constexpr SettingOption kWorkModes[]     = {{0, "Работа с OSMIR файл data.bin"}, {1, "Прямая запись в файл"}};
constexpr SettingOption kClockSources[]  = {{0, "Внутренний"}, {1, "Внешний"}};
constexpr SettingOption kDataFormats[]   = {{0, "16 бит"}, {4, "24 бита"}};
constexpr SettingOption kAdcNumbers[]    = {{0, ""}, {1, ""}, {2, ""}, {3, ""}};  // the matrix columns
constexpr SettingOption kOffOn[]         = {{0, ""}, {1, ""}};  // a check box
constexpr SettingOption kStartSources[]  = {{0, " 0 - программный"}, {2, " 2-  SDX"}, {4, " 4 - SYNX"}};
constexpr SettingOption kMasterModes[]   = {{0, " 0 - SLAVE"}, {1, " 1- SINGLE"}, {2, " 2 - MASTER"}};
constexpr SettingOption kDdcSyncModes[]  = {{1, " 1 - по старту ввода"}, {2, " 2 -  программный"}};

constexpr std::array<const char*, kDdcChannels> kFrequencyNcoKeys = {
    "FrequencyNCO0",  "FrequencyNCO1",  "FrequencyNCO2",  "FrequencyNCO3",
    "FrequencyNCO4",  "FrequencyNCO5",  "FrequencyNCO6",  "FrequencyNCO7",
    "FrequencyNCO8",  "FrequencyNCO9",  "FrequencyNCO10", "FrequencyNCO11",
    "FrequencyNCO12", "FrequencyNCO13", "FrequencyNCO14", "FrequencyNCO15",
};
constexpr std::array<const char*, kDdcChannels> kInputSourceKeys = {
    "InputSource0",  "InputSource1",  "InputSource2",  "InputSource3",
    "InputSource4",  "InputSource5",  "InputSource6",  "InputSource7",
    "InputSource8",  "InputSource9",  "InputSource10", "InputSource11",
    "InputSource12", "InputSource13", "InputSource14", "InputSource15",
};
// clang-format on

// "Prefix1 Prefix2 ... PrefixN" for the object names first .. last.
std::string Names(const char* prefix, int first, int last, int step = 1) {
    std::string names;
    for (int n = first; n <= last; n += step) {
        names.append(names.empty() ? "" : " ").append(prefix).append(std::to_string(n));
    }
    return names;
}

SettingRow Row(const char* key, const char* section, SettingField field, F config, F ini,
               W iniWrite) {
    SettingRow row;
    row.key = key;
    row.section = section;
    row.field = field;
    row.config = config;
    row.ini = ini;
    row.iniWrite = iniWrite;
    return row;
}

SettingRow& List(SettingRow& row, std::span<const SettingOption> options) {
    row.options = options;
    return row;
}

SettingRow& Mask(SettingRow& row, int bits, bool zeroRefused = false) {
    row.maskBits = bits;
    row.zeroRefused = zeroRefused;
    return row;
}

SettingRow& Describe(SettingRow& row, const char* unit, std::string meaning, std::string meaningRu,
                     std::string name, std::string controls) {
    row.unit = unit;
    row.meaning = std::move(meaning);
    row.meaningRu = std::move(meaningRu);
    row.name = std::move(name);
    row.controls = std::move(controls);
    return row;
}

using R = TSettings;

// The rows: first those of the files, in the order both files list them (each file skips the rows
// it lacks), then the working values.
std::array<SettingRow, kCatalogueSize> BuildCatalogue() {
    std::array<SettingRow, kCatalogueSize> rows{};
    std::size_t n = 0;
    auto add = [&](SettingRow row) -> SettingRow& { return rows.at(n++) = std::move(row); };

    // clang-format off
    List(Describe(add(Row("SamplesPerChannel", S1, {&R::SamplesPerChannel}, F::Decimal, F::Decimal, W::Always)),
        "samples", "Samples per channel handed to the viewer, 1024, 2048, 4096, 8192 or 16384",
        "Число отсчётов на канал, передаваемых программе просмотра: 1024, 2048, 4096, 8192 или 16384",
        "Число отсчётов на канал при работе с OSMIR", "ComboBox6"), kSampleCounts);
    List(Describe(add(Row("EnableDDC", S1, {&R::EnableDDC}, F::Decimal, F::Decimal, W::Always)),
        "", "Sample source: raw ADC samples or DDC samples, 0 or 1",
        "Источник отсчётов: отсчёты АЦП или DDC, 0 или 1",
        "", "RadioButton1 RadioButton2"), kSampleSources);
    List(Describe(add(Row("WorkMode", S1, {&R::WorkMode}, F::Decimal, F::Decimal, W::Always)),
        "", "Operating mode: work with the viewer through data.bin, or record directly to a file, 0 or 1",
        "Режим работы: с программой просмотра через data.bin или прямая запись в файл, 0 или 1",
        "Режим работы", "ComboBox2"), kWorkModes);
    Describe(add(Row("DirFileName", S1, {&R::DirFileName}, F::String, F::String, W::Always)),
        "", "Name of the file for direct recording, relative to the working directory, up to 255 characters",
        "Имя файла прямой записи относительно рабочей папки, до 255 символов",
        "Имя файла для прямой записи", "Edit21");
    Describe(add(Row("DirNumBufWrite", S1, {&R::DirNumBufWrite}, F::None, F::Decimal, W::Always)),
        "", "Buffers a direct recording writes, computed from the samples per channel asked for",
        "Число буферов прямой записи, вычисляется из заданного числа отсчётов на канал",
        "", "Edit20 Edit25");
    Describe(add(Row("DirFileBufSize", S1, {&R::DirFileBufSize}, F::None, F::None, W::Never)),
        "KB", "Size of one buffer of a direct recording, the acquisition program's own (read from exam_ddc.ini)",
        "Размер одного буфера прямой записи, задаётся программой сбора (читается из exam_ddc.ini)",
        "", "");
    rows[n - 1].iniRead = true;
    List(Describe(add(Row("ClockSource", S2, {&R::ClockSource}, F::Decimal, F::Decimal, W::Always)),
        "", "Clock source: internal or external generator, 0 or 1",
        "Источник тактовой частоты: внутренний или внешний генератор, 0 или 1",
        "Источник тактовой частоты", "ComboBox1"), kClockSources);
    Describe(add(Row("InternalClockValue", S2, {&R::InternalClockValue}, F::None, F::None, W::Never)),
        "Hz", "Frequency of the internal clock generator, above 0, the acquisition program's own (read from exam_ddc.ini)",
        "Частота внутреннего тактового генератора, больше 0, задаётся программой сбора (читается из exam_ddc.ini)",
        "", "Edit18");
    rows[n - 1].iniRead = true;
    Describe(add(Row("ExternalClockValue", S2, {&R::ExternalClockValue}, F::Real1, F::Real1, W::Always)),
        "Hz", "Frequency of the clock source chosen above, above 0; editable for the external clock, the internal one's is InternalClockValue from exam_ddc.ini",
        "Частота выбранного выше источника, больше 0; изменяется для внешнего генератора, частота внутреннего — InternalClockValue из exam_ddc.ini",
        "Значение тактовой частоты", "Edit18");
    Mask(Describe(add(Row("DDCChannelMask", S2, {&R::DDCChannelMask}, F::Hex, F::Hex, W::Always)),
        "mask", "Enabled DDC channels, bit i = channel i, 0x1 ... 0xFFFF",
        "Включённые каналы DDC, бит i — канал i, 0x1 ... 0xFFFF",
        "", Names("CheckBox", 1, 64)), kDdcChannels, true);
    Mask(Describe(add(Row("ChannelMask", S2, {&R::ChannelMask}, F::Hex, F::Hex, W::Always)),
        "mask", "ADC channels recorded with raw ADC samples, bit j = ADC j, 0x0 ... 0xF",
        "Каналы АЦП, записываемые в режиме отсчётов АЦП, бит j — АЦП j, 0x0 ... 0xF",
        "", Names("CheckBox", 86, 89)), kAdcs);
    List(Describe(add(Row("DataFormat", S2, {&R::DataFormat}, F::Decimal, F::Decimal, W::DataFormat)),
        "", "DDC sample format: 16 or 24 bits, 0 or 4",
        "Формат отсчётов DDC: 16 или 24 бита, 0 или 4",
        "", "RadioButton3 RadioButton4"), kDataFormats);
    for (int c = 0; c < kDdcChannels; ++c) {
        const std::string ch = std::to_string(c);
        Describe(add(Row(kFrequencyNcoKeys[c], S2, {&R::FrequencyNCO, c}, F::Real1, F::Real1, W::Always)),
            "Hz", "NCO frequency of DDC channel " + ch + ", 0 ... clock/2",
        "Частота NCO канала DDC " + ch + ", 0 ... тактовая/2",
            "Частота NCO, канал " + ch, "Edit" + std::to_string(1 + c));
    }
    for (int c = 0; c < kDdcChannels; ++c) {
        List(Describe(add(Row(kInputSourceKeys[c], S2, {&R::InputSource, c}, F::Decimal, F::Decimal, W::Always)),
            "", "ADC feeding DDC channel " + std::to_string(c) + ", 0 ... 3",
        "АЦП, подключённый к каналу DDC " + std::to_string(c) + ", 0 ... 3",
            "", Names("CheckBox", 4 * c + 1, 4 * c + 4)), kAdcNumbers);
    }
    Mask(Describe(add(Row("AdcGainMask", S2, {&R::AdcGainMask}, F::Hex, F::Hex, W::Always)),
        "mask", "ADC input ranges, bit j set = ADC j on 0.34 V, clear = 0.5 V, 0x0 ... 0xF",
        "Шкалы входов АЦП: бит j установлен — АЦП j на 0.34 В, сброшен — 0.5 В, 0x0 ... 0xF",
        "", Names("RadioButton", 5, 12)), kAdcs);
    List(Describe(add(Row("Dither", S2, {&R::Dither}, F::Decimal, F::Decimal, W::Always)),
        "", "Dither of the ADCs, off or on, 0 or 1",
        "Dither АЦП, выключен или включён, 0 или 1",
        "Dither", "CheckBox85"), kOffOn);
    List(Describe(add(Row("StartSource", S2, {&R::StartSource}, F::Decimal, F::Decimal, W::Always)),
        "", "Start source: programmatic, SDX comparator or SYNX, 0, 2 or 4",
        "Источник старта: программный, компаратор SDX или SYNX, 0, 2 или 4",
        "Источник старта", "ComboBox5"), kStartSources);
    Describe(add(Row("ComparatorThresholdSDX", S2, {&R::ComparatorThresholdSDX}, F::Real1, F::Real2, W::Always)),
        "V", "Threshold of the start comparator, -2.5 ... +2.5",
        "Порог компаратора старта, -2.5 ... +2.5",
        "Порог компаратора, В", "Edit24");
    List(Describe(add(Row("MasterMode", S2, {&R::MasterMode}, F::Decimal, F::Decimal, W::Always)),
        "", "Master mode: slave, single or master, 0, 1 or 2",
        "Мастер режим: SLAVE, SINGLE или MASTER, 0, 1 или 2",
        "Мастер режим", "ComboBox4"), kMasterModes);
    List(Describe(add(Row("DDCSyncMode", S2, {&R::DDCSyncMode}, F::Decimal, F::Decimal, W::Always)),
        "", "DDC synchronisation: on input start or programmatic, 1 or 2",
        "Синхронизация DDC: по старту ввода или программная, 1 или 2",
        "Режим синхронизации DDC", "ComboBox3"), kDdcSyncModes);
    Describe(add(Row("DDCProgramFile", S2, {&R::DDCProgramFile}, F::String, F::String, W::Always)),
        "", "DDC program file (.prg), folder\\name from the working directory, up to 255 characters",
        "Файл программы DDC (.prg), папка\\имя от рабочей папки, до 255 символов",
        "Файл конфигурации DDC", "Edit22");
    Describe(add(Row("FreqNC0", S2, {&R::FreqNC0}, F::Real1, F::None, W::Never)),
        "Hz", "Common NCO frequency, applied to all or to the ticked channels by the buttons beside it, 0 ... clock/2",
        "Общая частота NCO, кнопками рядом применяется ко всем или к отмеченным каналам, 0 ... тактовая/2",
        "Общая частота NCO", "Edit17");
    Mask(Describe(add(Row("MaskSelFreqNCO", S2, {&R::MaskSelFreqNCO}, F::Hex, F::None, W::Never)),
        "mask", "Channels ticked for the common frequency, bit i = channel i, 0x0 ... 0xFFFF",
        "Каналы, отмеченные для общей частоты, бит i — канал i, 0x0 ... 0xFFFF",
        "", Names("CheckBox", 69, 84)), kDdcChannels);

    // Working values: no key of their own in any file.
    Describe(add(Row("DirSamplesPerChannel", nullptr, {&R::DirSamplesPerChannel}, F::None, F::None, W::Never)),
        "samples", "Samples per channel asked for in direct recording, 1 ... 2147483647; rounded up to whole buffers, gives DirNumBufWrite",
        "Заданное число отсчётов на канал при прямой записи, 1 ... 2147483647; округляется вверх до целых буферов, даёт DirNumBufWrite",
        "Число отсчётов на канал при прямой записи", "Edit19");
    Describe(add(Row("DirRealSamplesPerChannel", nullptr, {&R::DirRealSamplesPerChannel}, F::None, F::None, W::Never)),
        "samples", "Samples per channel the recording really holds once rounded up to whole buffers (computed, read-only)",
        "Число отсчётов на канал, которое запись содержит после округления до целых буферов (вычисляется, только чтение)",
        "Реальное число отсчётов на канал", "Edit25");
    Describe(add(Row("DirFileSizeKB", nullptr, {&R::DirFileSizeKB}, F::None, F::None, W::Never)),
        "KB", "Size of the recording file, whole buffers of DirFileBufSize KB (computed, read-only), DirNumBufWrite x DirFileBufSize",
        "Размер файла записи, целые буферы по DirFileBufSize Кбайт (вычисляется, только чтение), DirNumBufWrite x DirFileBufSize",
        "Размер файла, Кбайт", "Edit20");
    add(Row("AdcBytesPerSample", nullptr, {&R::AdcBytesPerSample}, F::None, F::None, W::Never));
    add(Row("DdcBytesPerSample", nullptr, {&R::DdcBytesPerSample}, F::None, F::None, W::Never));
    add(Row("EnabledDdcCount", nullptr, {&R::EnabledDdcCount}, F::None, F::None, W::Never));
    add(Row("EnabledAdcCount", nullptr, {&R::EnabledAdcCount}, F::None, F::None, W::Never));
    add(Row("AdcDataFormat", nullptr, {&R::AdcDataFormat}, F::None, F::None, W::Never));
    // clang-format on
    if (n != rows.size()) {
        throw std::logic_error("the catalogue's size does not match its rows");
    }
    return rows;
}

template <FileOf file>
std::vector<const SettingRow*> BuildRowsOf() {
    std::vector<const SettingRow*> rows;
    for (const SettingRow& row : SettingCatalogue()) {
        if ((file == FileOf::Config ? row.config : row.ini) != F::None) {
            rows.push_back(&row);
        }
    }
    return rows;
}

template <typename T, typename Record>
auto& Member(const SettingRow& row, Record& s) {
    if (const auto* single = std::get_if<T TSettings::*>(&row.field.member)) {
        return s.**single;
    }
    if constexpr (!std::is_same_v<T, double> && !std::is_same_v<T, std::string>) {
        if (const auto* array = std::get_if<T(TSettings::*)[kDdcChannels]>(&row.field.member)) {
            return (s.**array)[row.field.index];
        }
    }
    throw std::logic_error(std::string("setting ") + row.key + " is not of the type asked for");
}

}  // namespace

const char* UnitRu(const SettingRow& row) {
    static constexpr std::pair<std::string_view, const char*> kUnits[] = {
        {"Hz", "Гц"}, {"V", "В"}, {"KB", "Кбайт"}, {"samples", "отсчётов"}, {"mask", "маска"}};
    for (const auto& [unit, russian] : kUnits) {
        if (unit == row.unit)
            return russian;
    }
    return "";
}

const std::array<SettingRow, kCatalogueSize>& SettingCatalogue() {
    static const std::array<SettingRow, kCatalogueSize> catalogue = BuildCatalogue();
    return catalogue;
}

const SettingRow* FindSetting(std::string_view key) {
    for (const SettingRow& row : SettingCatalogue()) {
        if (SameIgnoringAsciiCase(key, row.key)) {
            return &row;
        }
    }
    return nullptr;
}

std::vector<std::string> ControlsOf(const SettingRow& row) {
    std::vector<std::string> names;
    std::string_view rest = row.controls;
    while (!rest.empty()) {
        const std::size_t blank = rest.find(' ');
        names.emplace_back(rest.substr(0, blank));
        rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
    }
    return names;
}

const SettingRow* FindSettingOfControl(std::string_view control) {
    for (const SettingRow& row : SettingCatalogue()) {
        for (const std::string& name : ControlsOf(row)) {
            if (name == control) {
                return &row;
            }
        }
    }
    return nullptr;
}

std::span<const SettingRow* const> RowsOf(FileOf file) {
    static const std::vector<const SettingRow*> config = BuildRowsOf<FileOf::Config>();
    static const std::vector<const SettingRow*> ini = BuildRowsOf<FileOf::Ini>();
    return file == FileOf::Config ? config : ini;
}

FieldType TypeOf(const SettingRow& row) {
    return std::visit(
        [](auto member) {
            using M = decltype(member);
            if constexpr (std::is_same_v<M, int32_t TSettings::*> ||
                          std::is_same_v<M, int32_t(TSettings::*)[kDdcChannels]>) {
                return FieldType::Integer;
            } else if constexpr (std::is_same_v<M, float TSettings::*> ||
                                 std::is_same_v<M, float(TSettings::*)[kDdcChannels]>) {
                return FieldType::Single;
            } else if constexpr (std::is_same_v<M, double TSettings::*>) {
                return FieldType::Double;
            } else {
                return FieldType::String;
            }
        },
        row.field.member);
}

int32_t& IntegerOf(const SettingRow& row, TSettings& s) {
    return Member<int32_t>(row, s);
}
int32_t IntegerOf(const SettingRow& row, const TSettings& s) {
    return Member<int32_t>(row, s);
}
float& SingleOf(const SettingRow& row, TSettings& s) {
    return Member<float>(row, s);
}
float SingleOf(const SettingRow& row, const TSettings& s) {
    return Member<float>(row, s);
}
double& DoubleOf(const SettingRow& row, TSettings& s) {
    return Member<double>(row, s);
}
double DoubleOf(const SettingRow& row, const TSettings& s) {
    return Member<double>(row, s);
}
std::string& StringOf(const SettingRow& row, TSettings& s) {
    return Member<std::string>(row, s);
}
const std::string& StringOf(const SettingRow& row, const TSettings& s) {
    return Member<std::string>(row, s);
}

double RealOf(const SettingRow& row, const TSettings& s) {
    return TypeOf(row) == FieldType::Single ? SingleOf(row, s) : DoubleOf(row, s);
}

const char* ItemOf(const SettingRow& row, int32_t value) {
    for (const SettingOption& option : row.options) {
        if (option.value == value) {
            return option.item;
        }
    }
    return nullptr;
}

namespace {

uint32_t OfferedBits(const SettingRow& row) {
    return row.maskBits >= 32 ? ~0u : (1u << row.maskBits) - 1u;
}

std::string LowerHex(uint32_t value) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    do {
        text.insert(text.begin(), kDigits[value % 16]);
        value /= 16;
    } while (value != 0);
    return "0x" + text;
}

}  // namespace

bool Offers(const SettingRow& row, int32_t value) {
    if (row.maskBits > 0) {
        const uint32_t bits = static_cast<uint32_t>(value);
        return (bits & ~OfferedBits(row)) == 0 && !(row.zeroRefused && bits == 0);
    }
    return row.options.empty() || ItemOf(row, value) != nullptr;
}

void CheckOffered(const SettingRow& row, int32_t value) {
    if (row.maskBits > 0) {
        const uint32_t bits = static_cast<uint32_t>(value);
        if ((bits & ~OfferedBits(row)) != 0) {
            throw SettingsError(std::string(row.key) + " " + LowerHex(bits) +
                                " sets bits beyond 0 to " + std::to_string(row.maskBits - 1));
        }
        if (row.zeroRefused && bits == 0) {
            throw SettingsError(std::string(row.key) + " 0 would leave no channel enabled");
        }
        return;
    }
    if (Offers(row, value)) {
        return;
    }
    std::string offered;
    for (std::size_t i = 0; i < row.options.size(); ++i) {
        offered += (i == 0 ? "" : i + 1 == row.options.size() ? " or " : ", ");
        offered += std::to_string(row.options[i].value);
    }
    throw SettingsError(std::string(row.key) + " takes " + offered + ", not " +
                        std::to_string(value));
}
