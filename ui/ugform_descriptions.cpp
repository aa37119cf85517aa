// What every control is: an English tooltip (meaning, unit, accepted values, file key) and a
// Russian accessible name naming its channel or ADC; labels that belong to one control are its
// buddy. Set once, when the window has been built.
#include <QLabel>
#include <QListWidget>
#include <array>
#include <string>

#include "ui/ugform.h"
#include "ui/ugform_internal.h"

using namespace ugform;

namespace {

const char* const kPlainToolTipProperty = "plainToolTip";

// The only place that tells about undo; the undo itself is wired elsewhere.
const char* const kUndoKeys = "Ctrl+Z undoes a change, Ctrl+Shift+Z or Ctrl+Y redoes it";

struct Description {
    const char* tip;   // English: meaning, unit, accepted values - file key
    const char* name;  // Russian accessible name
};

// clang-format off
const std::pair<int, Description> kEdits[] = {
    {17, {"Common NCO frequency, applied to all or to the ticked channels by the buttons beside it, Hz, 0 ... clock/2 - FreqNC0",
          "Общая частота NCO"}},
    {18, {"Frequency of the clock source chosen above, Hz, above 0; editable for the external clock - InternalClockValue (from exam_ddc.ini) or ExternalClockValue",
          "Значение тактовой частоты"}},
    {19, {"Samples per channel asked for in direct recording, 1 ... 2147483647; rounded up to whole buffers - gives DirNumBufWrite",
          "Число отсчётов на канал при прямой записи"}},
    {20, {"Size of the recording file, KB, whole buffers of DirFileBufSize KB (computed, read-only) - DirNumBufWrite x DirFileBufSize",
          "Размер файла, Кбайт"}},
    {21, {"Name of the file for direct recording, relative to the working directory, up to 255 characters - DirFileName",
          "Имя файла для прямой записи"}},
    {22, {"DDC program file (.prg), folder\\name from the working directory, up to 255 characters - DDCProgramFile",
          "Файл конфигурации DDC"}},
    {24, {"Threshold of the start comparator, V, -2.5 ... +2.5 - ComparatorThresholdSDX",
          "Порог компаратора, В"}},
    {25, {"Samples per channel the recording really holds once rounded up to whole buffers (computed, read-only)",
          "Реальное число отсчётов на канал"}},
};
const std::pair<int, Description> kComboBoxes[] = {
    {1, {"Clock source: internal or external generator, 0 or 1 - ClockSource", "Источник тактовой частоты"}},
    {2, {"Operating mode: work with the viewer through data.bin, or record directly to a file, 0 or 1 - WorkMode",
         "Режим работы"}},
    {3, {"DDC synchronisation: on input start or programmatic, 1 or 2 - DDCSyncMode", "Режим синхронизации DDC"}},
    {4, {"Master mode: slave, single or master, 0, 1 or 2 - MasterMode", "Мастер режим"}},
    {5, {"Start source: programmatic, SDX comparator or SYNX, 0, 2 or 4 - StartSource", "Источник старта"}},
    {6, {"Samples per channel handed to the viewer, 1024, 2048, 4096, 8192 or 16384 - SamplesPerChannel",
         "Число отсчётов на канал при работе с OSMIR"}},
};
const std::pair<int, Description> kRadioButtons[] = {
    {1, {"Record raw ADC samples, DDC off - EnableDDC 0", "Режим: отсчеты с АЦП"}},
    {2, {"Record DDC samples - EnableDDC 1", "Режим: отсчеты с DDC"}},
    {3, {"DDC samples of 16 bits - DataFormat 0", "Формат данных DDC: 16 бит"}},
    {4, {"DDC samples of 24 bits - DataFormat 4", "Формат данных DDC: 24 бита"}},
};
const std::pair<int, Description> kButtons[] = {
    {12, {"Read the settings from a configuration file (.cfg), from the MODSET folder", "Считать файл конфигурации"}},
    {13, {"Write the settings to a configuration file (.cfg), in the CONFIGS folder", "Записать файл конфигурации"}},
    {11, {"Choose the DDC program file (.prg) in the PRGFILES folder - DDCProgramFile", "Выбрать файл конфигурации DDC"}},
    {7,  {"Apply the common frequency to all 16 DDC channels - FrequencyNCO0 ... FrequencyNCO15", "Применить частоту для всех каналов"}},
    {8,  {"Apply the common frequency to the ticked DDC channels - FrequencyNCO0 ... FrequencyNCO15", "Применить частоту для выбранных каналов"}},
    {5,  {"Enable all 16 DDC channels - DDCChannelMask 0xFFFF", "Включить все каналы DDC"}},
    {6,  {"Enable only DDC channel 0, fed by ADC 0 - DDCChannelMask 0x1, InputSource0", "Включить только канал DDC 0"}},
    {10, {"Choose the file for direct recording - DirFileName", "Выбрать файл для прямой записи"}},
    {9,  {"Write the settings to exam_ddc.ini for the acquisition program, keeping its comments", "Записать файл инициализации"}},
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

void Describe(QWidget* control, const QString& tip, const QString& name) {
    control->setToolTip(tip);
    control->setProperty(kPlainToolTipProperty, tip);
    control->setAccessibleName(name);
}

void Describe(QWidget* control, const Description& d) {
    Describe(control, QString::fromUtf8(d.tip), QString::fromUtf8(d.name));
}

QString Latin(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void TGForm::DescribeControls() {
    for (int c = 0; c < kDdcChannels; ++c) {
        const std::string n = std::to_string(c);
        Describe(
            edit_[1 + c],
            Latin("NCO frequency of DDC channel " + n + ", Hz, 0 ... clock/2 - FrequencyNCO" + n),
            Text("Частота NCO, канал %1").arg(c));
        Describe(checkBox_[69 + c],
                 Latin("DDC channel " + n +
                       " takes the common frequency from \"apply to selected channels\", ticked or "
                       "not - bit " +
                       n + " of MaskSelFreqNCO"),
                 Text("Выбор для общей частоты, канал %1").arg(c));
        for (int j = 0; j < kAdcs; ++j) {
            const std::string a = std::to_string(j);
            Describe(checkBox_[4 * c + j + 1],
                     Latin("DDC channel " + n + " is fed by ADC " + a +
                           "; one ADC per channel, none ticked disables the channel - InputSource" +
                           n + " " + a + ", bit " + n + " of DDCChannelMask"),
                     Text("Канал DDC %1, АЦП %2").arg(c).arg(j));
        }
    }
    for (int j = 0; j < kAdcs; ++j) {
        const std::string a = std::to_string(j);
        Describe(checkBox_[65 + j],
                 Latin("ADC " + a + " feeds at least one enabled DDC channel (shown only)"),
                 Text("АЦП %1 используется").arg(j));
        Describe(checkBox_[86 + j],
                 Latin("ADC channel " + a + " recorded with ADC samples, on or off" +
                       (j == 0 ? " (always on)" : "") + " - bit " + a + " of ChannelMask"),
                 Text("Канал АЦП %1").arg(j));
        Describe(radioButton_[5 + 2 * j],
                 Latin("Input range of ADC " + a + ": 0.5 V - bit " + a + " of AdcGainMask clear"),
                 Text("Шкала АЦП %1: 0.5 В").arg(j));
        Describe(radioButton_[6 + 2 * j],
                 Latin("Input range of ADC " + a + ": 0.34 V - bit " + a + " of AdcGainMask set"),
                 Text("Шкала АЦП %1: 0.34 В").arg(j));
    }
    // "0" to "3" under "all channels to ADC" are Button2, Button1, Button3, Button4.
    const int toAdcButtons[kAdcs] = {2, 1, 3, 4};
    for (int k = 0; k < kAdcs; ++k) {
        const std::string a = std::to_string(k);
        Describe(button_[toAdcButtons[k]],
                 Latin("Feed every DDC channel from ADC " + a +
                       " - InputSource0 ... InputSource15 = " + a),
                 Text("Все каналы к АЦП %1").arg(k));
    }
    Describe(checkBox_[85], Text("Dither of the ADCs, on or off, 1 or 0 - Dither"), Text("Dither"));
    Describe(edit_[23],
             Latin(std::string("Configuration file last read or written (read-only); std.cfg is "
                               "read at start and written on closing. ") +
                   kUndoKeys),
             Text("Файл конфигурации"));
    for (const auto& [n, d] : kEdits) {
        Describe(edit_[n], d);
    }
    for (const auto& [n, d] : kComboBoxes) {
        Describe(comboBox_[n], d);
    }
    for (const auto& [n, d] : kRadioButtons) {
        Describe(radioButton_[n], d);
    }
    for (const auto& [n, d] : kButtons) {
        Describe(button_[n], d);
    }
    if (auto* list = findChild<QListWidget*>(QStringLiteral("FindingsList"))) {
        Describe(list,
                 Text("Pre-flight findings: what will go wrong in a run, amber for a warning, red "
                      "for an error; click a line to go to its field"),
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
