// What every control is: a tooltip (meaning, unit, accepted values, file key) in the desktop's
// language, Russian or English, and a Russian accessible name naming its channel or ADC; labels
// that belong to one control are its buddy. The controls that show one setting take their texts
// from the settings catalogue; the others (buttons, single values, bits) from the tables here.
// Set once, when the window has been built.
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <array>
#include <string>

#include "core/setting_catalogue.h"
#include "ui/ugform.h"
#include "ui/ugform_internal.h"

using namespace ugform;

namespace {

const char* const kPlainToolTipProperty = "plainToolTip";

// Both languages of a text.
struct Texts {
    const char* en;
    const char* ru;
};

// The only place that tells about undo; the undo itself is wired elsewhere.
const Texts kUndoKeys = {"Ctrl+Z undoes a change, Ctrl+Shift+Z or Ctrl+Y redoes it",
                         "Ctrl+Z отменяет изменение, Ctrl+Shift+Z или Ctrl+Y возвращает его"};

struct Description {
    Texts tip;         // meaning, accepted values - file key
    const char* name;  // Russian accessible name
};

// clang-format off
// The controls that show one setting: its catalogue row gives the tooltip.
const std::pair<int, const char*> kEditKeys[] = {
    {17, "FreqNC0"}, {18, "ExternalClockValue"}, {19, "DirSamplesPerChannel"}, {20, "DirFileSizeKB"},
    {21, "DirFileName"}, {22, "DDCProgramFile"}, {24, "ComparatorThresholdSDX"}, {25, "DirRealSamplesPerChannel"},
};
const std::pair<int, const char*> kComboBoxKeys[] = {
    {1, "ClockSource"}, {2, "WorkMode"}, {3, "DDCSyncMode"}, {4, "MasterMode"}, {5, "StartSource"},
    {6, "SamplesPerChannel"},
};
const std::pair<int, Description> kRadioButtons[] = {
    {1, {{"Record raw ADC samples, DDC off - EnableDDC 0", "Запись отсчётов АЦП, DDC выключен - EnableDDC 0"},
         "Режим: отсчеты с АЦП"}},
    {2, {{"Record DDC samples - EnableDDC 1", "Запись отсчётов DDC - EnableDDC 1"}, "Режим: отсчеты с DDC"}},
    {3, {{"DDC samples of 16 bits - DataFormat 0", "Отсчёты DDC по 16 бит - DataFormat 0"}, "Формат данных DDC: 16 бит"}},
    {4, {{"DDC samples of 24 bits - DataFormat 4", "Отсчёты DDC по 24 бита - DataFormat 4"}, "Формат данных DDC: 24 бита"}},
};
const std::pair<int, Description> kButtons[] = {
    {12, {{"Read the settings from a configuration file (.cfg), from the MODSET folder",
           "Считать настройки из файла конфигурации (.cfg), из папки MODSET"}, "Считать файл конфигурации"}},
    {13, {{"Write the settings to a configuration file (.cfg), in the CONFIGS folder",
           "Записать настройки в файл конфигурации (.cfg), в папку CONFIGS"}, "Записать файл конфигурации"}},
    {11, {{"Choose the DDC program file (.prg) in the PRGFILES folder - DDCProgramFile",
           "Выбрать файл программы DDC (.prg) в папке PRGFILES - DDCProgramFile"}, "Выбрать файл конфигурации DDC"}},
    {7,  {{"Apply the common frequency to all 16 DDC channels - FrequencyNCO0 ... FrequencyNCO15",
           "Применить общую частоту ко всем 16 каналам DDC - FrequencyNCO0 ... FrequencyNCO15"}, "Применить частоту для всех каналов"}},
    {8,  {{"Apply the common frequency to the ticked DDC channels - FrequencyNCO0 ... FrequencyNCO15",
           "Применить общую частоту к отмеченным каналам DDC - FrequencyNCO0 ... FrequencyNCO15"}, "Применить частоту для выбранных каналов"}},
    {5,  {{"Enable all 16 DDC channels - DDCChannelMask 0xFFFF", "Включить все 16 каналов DDC - DDCChannelMask 0xFFFF"},
          "Включить все каналы DDC"}},
    {6,  {{"Enable only DDC channel 0, fed by ADC 0 - DDCChannelMask 0x1, InputSource0",
           "Включить только канал DDC 0 от АЦП 0 - DDCChannelMask 0x1, InputSource0"}, "Включить только канал DDC 0"}},
    {10, {{"Choose the file for direct recording - DirFileName", "Выбрать файл прямой записи - DirFileName"},
          "Выбрать файл для прямой записи"}},
    {9,  {{"Write the settings to exam_ddc.ini for the acquisition program, keeping its comments",
           "Записать настройки в exam_ddc.ini для программы сбора, сохранив его комментарии"}, "Записать файл инициализации"}},
};
// Labels that belong to one control, by their text.
const std::pair<const char*, const char*> kBuddies[] = {
    {"Файл конфигурации ",                         "Edit23"},
    {"Источник  тактовой частоты",                 "ComboBox1"},
    {"Значение  тактовой частоты",                 "Edit18"},
    {"  Dither",                                   "CheckBox85"},
    {"Файл конфигурации DDC (*.prg)",              "Edit22"},
    {"Частота",                                    "Edit17"},
    {"Режим синхронизации DDC",                    "ComboBox3"},
    {"Мастер режим",                               "ComboBox4"},
    {"Источник старта",                            "ComboBox5"},
    {"Порог компаратора",                          "Edit24"},
    {"-2,5...+2,5 В",                              "Edit24"},
    {"Режим работы",                               "ComboBox2"},
    {"Число отсчётов на канал при работе с OSMIR", "ComboBox6"},
    {"Имя файла для прямой записи",                "Edit21"},
    {"Число отсчётов на канал при прямой записи ", "Edit19"},
    {"Реальное значение",                          "Edit25"},
    {"Размер файла (Кбайт)",                       "Edit20"},
};
// clang-format on

bool Russian() {
    return QLocale().language() == QLocale::Russian;
}

QString Pick(const Texts& texts) {
    return QString::fromUtf8(Russian() ? texts.ru : texts.en);
}

// Built from parts in the desktop's language: the English text or the Russian one.
QString Pick(const std::string& en, const std::string& ru) {
    return QString::fromUtf8(Russian() ? ru : en);
}

// The catalogue's words on a setting: meaning with its range, the unit, the file key (a working
// value has none).
QString SettingTip(const char* key) {
    const SettingRow* row = FindSetting(key);
    if (row == nullptr) {
        return {};
    }
    const bool russian = Russian();
    std::string tip = russian ? row->meaningRu : row->meaning;
    const std::string unit = russian ? UnitRu(*row) : row->unit;
    if (!unit.empty() && unit != (russian ? "маска" : "mask")) {
        tip += " (" + unit + ")";
    }
    if (row->section != nullptr) {
        tip += std::string(" - ") + row->key;
    }
    return QString::fromUtf8(tip);
}

void Describe(QWidget* control, const QString& tip, const QString& name) {
    control->setToolTip(tip);
    control->setProperty(kPlainToolTipProperty, tip);
    control->setAccessibleName(name);
}

void Describe(QWidget* control, const Description& d) {
    Describe(control, Pick(d.tip), QString::fromUtf8(d.name));
}

}  // namespace

void TGForm::DescribeControls() {
    for (int c = 0; c < kDdcChannels; ++c) {
        const std::string n = std::to_string(c);
        Describe(edit_[1 + c], SettingTip(("FrequencyNCO" + n).c_str()),
                 Text("Частота NCO, канал %1").arg(c));
        Describe(checkBox_[69 + c],
                 Pick("DDC channel " + n +
                          " takes the common frequency from \"apply to selected channels\", "
                          "ticked or not - bit " +
                          n + " of MaskSelFreqNCO",
                      "Канал DDC " + n +
                          " получает общую частоту кнопкой «применить для выбранных каналов», "
                          "отмечен или нет - бит " +
                          n + " MaskSelFreqNCO"),
                 Text("Выбор для общей частоты, канал %1").arg(c));
        for (int j = 0; j < kAdcs; ++j) {
            const std::string a = std::to_string(j);
            Describe(checkBox_[4 * c + j + 1],
                     Pick("DDC channel " + n + " is fed by ADC " + a +
                              "; one ADC per channel, none ticked disables the channel - "
                              "InputSource" +
                              n + " " + a + ", bit " + n + " of DDCChannelMask",
                          "Канал DDC " + n + " подключён к АЦП " + a +
                              "; один АЦП на канал, без отметки канал выключен - InputSource" + n +
                              " " + a + ", бит " + n + " DDCChannelMask"),
                     Text("Канал DDC %1, АЦП %2").arg(c).arg(j));
        }
    }
    for (int j = 0; j < kAdcs; ++j) {
        const std::string a = std::to_string(j);
        Describe(checkBox_[65 + j],
                 Pick("ADC " + a + " feeds at least one enabled DDC channel (shown only)",
                      "АЦП " + a +
                          " подключён хотя бы к одному включённому каналу DDC (только "
                          "показ)"),
                 Text("АЦП %1 используется").arg(j));
        Describe(checkBox_[86 + j],
                 Pick("ADC channel " + a + " recorded with ADC samples, on or off" +
                          (j == 0 ? " (always on)" : "") + " - bit " + a + " of ChannelMask",
                      "Канал АЦП " + a + " записывается в режиме отсчётов АЦП, вкл. или выкл." +
                          (j == 0 ? " (всегда вкл.)" : "") + " - бит " + a + " ChannelMask"),
                 Text("Канал АЦП %1").arg(j));
        Describe(radioButton_[5 + 2 * j],
                 Pick("Input range of ADC " + a + ": 0.5 V - bit " + a + " of AdcGainMask clear",
                      "Шкала входа АЦП " + a + ": 0.5 В - бит " + a + " AdcGainMask сброшен"),
                 Text("Шкала АЦП %1: 0.5 В").arg(j));
        Describe(radioButton_[6 + 2 * j],
                 Pick("Input range of ADC " + a + ": 0.34 V - bit " + a + " of AdcGainMask set",
                      "Шкала входа АЦП " + a + ": 0.34 В - бит " + a + " AdcGainMask установлен"),
                 Text("Шкала АЦП %1: 0.34 В").arg(j));
    }
    // "0" to "3" under "all channels to ADC" are Button2, Button1, Button3, Button4.
    const int toAdcButtons[kAdcs] = {2, 1, 3, 4};
    for (int k = 0; k < kAdcs; ++k) {
        const std::string a = std::to_string(k);
        Describe(button_[toAdcButtons[k]],
                 Pick("Feed every DDC channel from ADC " + a +
                          " - InputSource0 ... InputSource15 = " + a,
                      "Подключить все каналы DDC к АЦП " + a +
                          " - InputSource0 ... InputSource15 = " + a),
                 Text("Все каналы к АЦП %1").arg(k));
    }
    Describe(checkBox_[85], SettingTip("Dither"), Text("Dither"));
    Describe(edit_[23],
             Pick(std::string("Configuration file last read or written (read-only); std.cfg is "
                              "read at start and written on closing. ") +
                      kUndoKeys.en,
                  std::string("Файл конфигурации, считанный или записанный последним (только "
                              "чтение); std.cfg читается при запуске и пишется при закрытии. ") +
                      kUndoKeys.ru),
             Text("Файл конфигурации"));
    for (const auto& [n, key] : kEditKeys) {
        Describe(edit_[n], SettingTip(key), QString::fromUtf8(FindSetting(key)->name));
    }
    for (const auto& [n, key] : kComboBoxKeys) {
        Describe(comboBox_[n], SettingTip(key), QString::fromUtf8(FindSetting(key)->name));
    }
    for (const auto& [n, d] : kRadioButtons) {
        Describe(radioButton_[n], d);
    }
    for (const auto& [n, d] : kButtons) {
        Describe(button_[n], d);
    }
    if (auto* list = findChild<QListWidget*>(QStringLiteral("FindingsList"))) {
        Describe(list,
                 Pick("Pre-flight findings: what will go wrong in a run, amber for a warning, red "
                      "for an error; click a line to go to its field",
                      "Замечания перед запуском: что помешает работе, жёлтым - предупреждение, "
                      "красным - ошибка; щелчок по строке ведёт к её полю"),
                 Text("Замечания"));
    }
    for (QLabel* label : findChildren<QLabel*>()) {
        for (const auto& [text, controlName] : kBuddies) {
            if (label->text() == Text(text)) {
                label->setBuddy(findChild<QWidget*>(QString::fromLatin1(controlName)));
                break;
            }
        }
    }
}
