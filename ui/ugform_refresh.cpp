// Refresh (settings to window) and harvest (window to settings).
#include "ui/ugform.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>
#include <bit>
#include <cmath>
#include <exception>
#include <vector>

#include "core/editing_rules.h"
#include "core/errors.h"
#include "core/number_text.h"
#include "core/recording_size.h"
#include "files/config_file.h"
#include "files/ini_file.h"
#include "ui/error_display.h"
#include "ui/name_text.h"
#include "ui/number_display.h"
#include "ui/ugform_internal.h"

using namespace ugform;

namespace {

// clang-format off
// What Edit25 and Edit20 show when the recording size has no result, and why.
struct NoResultText {
    RecordingSizeStatus status;
    const char* shown;
    const char* why;
};
const NoResultText kNoResultTexts[] = {
    {RecordingSizeStatus::NoChannels,      "нет каналов",   "Не включён ни один канал: записывать нечего"},
    {RecordingSizeStatus::NoBuffer,        "нет буфера",    "В exam_ddc.ini не задан размер буфера (DirFileBufSize)"},
    {RecordingSizeStatus::NegativeRequest, "меньше нуля",   "Число отсчётов на канал меньше нуля"},
    {RecordingSizeStatus::TooLarge,        "слишком много", "Запись такого размера не помещается в 32-разрядные числа"},
    {RecordingSizeStatus::UnknownMode,     "режим?",        "Неизвестный источник отсчётов (EnableDDC не 0 и не 1)"},
};
// clang-format on

}  // namespace

// ---------------------------------------------------------------------------------------------
// Refresh and harvest.

// What the refresh shows in an edit is remembered with it: a field whose text is still exactly
// that has not been edited, and its handler and the harvest take the stored value itself, not the
// shown text read back (which would round a value, or turn a name's bytes into other bytes).
void TGForm::ShowText(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    edit->setProperty(kShownTextProperty, text);
}

bool TGForm::Untouched(const QLineEdit* edit) const {
    const QVariant shown = edit->property(kShownTextProperty);
    return shown.isValid() && shown.toString() == edit->text();
}

void TGForm::ShowName(QLineEdit* edit, const std::string& bytes) {
    const ShownName name = DecodeName(bytes);
    ShowText(edit, name.text);
    edit->setProperty(kNameEncodingProperty, static_cast<int>(name.encoding));
}

std::string TGForm::NameOf(const QLineEdit* edit) const {
    return EncodeName(edit->text(),
                      static_cast<NameEncoding>(edit->property(kNameEncodingProperty).toInt()));
}

std::string TGForm::TextOf(const QLineEdit* edit) const {
    return edit->text().toLocal8Bit().toStdString();
}

// The item that carries the value. A value no item offers (an older file, a hand edit) selects
// none and shows its number in the field, so the user sees what will be written. The field shows
// the selection even when it is unchanged: text typed and not confirmed gives way, as in an edit.
void TGForm::SelectValue(QComboBox* combo, int32_t value) {
    const int index = combo->findData(value);
    combo->setCurrentIndex(index);
    if (index < 0) {
        combo->setEditText(QString::number(value));
    }
}

// The value of the chosen item; a list that shows no item keeps the stored value, which only the
// user's choice changes.
int32_t TGForm::ChosenValue(const QComboBox* combo, int32_t stored) const {
    return combo->currentIndex() < 0 ? stored : combo->currentData().toInt();
}

void TGForm::MarkBadInputSource(int channel, int32_t source) {
    // An ADC number outside 0..3 (only a file can hold one) ticks nothing: the column's number
    // turns red and says why.
    const bool bad = source < 0 || source >= kAdcs;
    QLabel* head = matrixHead_[channel];
    if (bad != badInputSource_[channel]) {
        badInputSource_[channel] = bad;
        head->setStyleSheet(bad ? QStringLiteral("color: #c00000") : QString());
    }
    if (bad) {
        head->setToolTip(
            Text("Канал %1 подключён к несуществующему АЦП %2").arg(channel).arg(source));
    } else if (!head->toolTip().isEmpty()) {
        head->setToolTip(QString());
    }
}

void TGForm::Refresh() {
    Updating = true;
    struct EndOfRefresh {
        bool& updating;
        ~EndOfRefresh() { updating = false; }
    } endOfRefresh{Updating};
    const char sep = decimalSeparator_;

    for (int i = 0; i < kDdcChannels; ++i) {
        ShowText(EditOf(ControlTable[72 + i]),
                 QString::fromStdString(FormatFrequency(Settings.FrequencyNCO[i], sep)));
    }
    for (int k = 0; k < 64; ++k) {
        Box(ControlTable[k])->setChecked(false);
    }
    for (int j = 1; j < kAdcs; ++j) {
        Box(ControlTable[64 + j])->setChecked(false);
    }
    for (int j = 1; j < kAdcs; ++j) {
        Box(ControlTable[68 + j])->setChecked(false);
    }

    for (int c = 0; c < kDdcChannels; ++c) {
        const bool enabled = BitTest(Settings.DDCChannelMask, c);
        const int32_t source = enabled ? Settings.InputSource[c] : 0;
        if (enabled) {
            if (source >= 0 && source < kAdcs) {
                Box(ControlTable[4 * c + source])->setChecked(true);
                Box(ControlTable[64 + source])->setChecked(true);
            }
        }
        MarkBadInputSource(c, source);
    }
    for (int j = 0; j < kAdcs; ++j) {
        if (BitTest(Settings.ChannelMask, j)) {
            Box(ControlTable[68 + j])->setChecked(true);
        }
    }

    const RecordingSizeStatus sizeStatus =
        ComputeRecordingSize(Settings, Settings.DirSamplesPerChannel).status;
    ShowRecordingSize(edit_[25], sizeStatus, Settings.DirRealSamplesPerChannel);

    for (int i = 0; i < kDdcChannels; ++i) {
        Box(ControlTable[88 + i])->setChecked(BitTest(Settings.MaskSelFreqNCO, i));
    }
    ShowText(edit_[17], QString::fromStdString(FormatFrequency(Settings.FreqNC0, sep)));

    SelectValue(comboBox_[1], Settings.ClockSource);
    const bool external = Settings.ClockSource != 0;
    edit_[18]->setEnabled(external);
    ShowText(edit_[18],
             QString::fromStdString(FormatFrequency(
                 external ? Settings.ExternalClockValue : Settings.InternalClockValue, sep)));

    radioButton_[Settings.EnableDDC != 0 ? 2 : 1]->setChecked(true);
    checkBox_[85]->setChecked(Settings.Dither != 0);
    if (Settings.DataFormat == 0) {
        radioButton_[3]->setChecked(true);
    } else if (Settings.DataFormat == 4) {
        radioButton_[4]->setChecked(true);
    }
    SelectValue(comboBox_[2], Settings.WorkMode);
    for (int j = 0; j < kAdcs; ++j) {
        (BitTest(Settings.AdcGainMask, j) ? GainPairs[j].second : GainPairs[j].first)
            ->setChecked(true);
    }

    ShowText(edit_[19], QString::number(Settings.DirSamplesPerChannel));
    ShowRecordingSize(edit_[20], sizeStatus, Settings.DirFileSizeKB);
    ShowName(edit_[21], Settings.DirFileName);
    ShowName(edit_[22], Settings.DDCProgramFile);
    ShowName(edit_[23], Settings.CurrentConfigName);

    SelectValue(comboBox_[3], Settings.DDCSyncMode);
    SelectValue(comboBox_[4], Settings.MasterMode);
    SelectValue(comboBox_[5], Settings.StartSource);
    ShowText(edit_[24],
             QString::fromStdString(FormatThreshold(Settings.ComparatorThresholdSDX, sep)));

    SelectValue(comboBox_[6], Settings.SamplesPerChannel);
    ShowFindings();
    ShowIniPending();
    ShowPlan();
}

void TGForm::ShowRecordingSize(QLineEdit* edit, RecordingSizeStatus status, int32_t value) {
    // Without a result the field says why in a word, and its tip in a sentence.
    for (const NoResultText& text : kNoResultTexts) {
        if (text.status == status) {
            edit->setText(Text(text.shown));
            edit->setToolTip(Text(text.why));
            return;
        }
    }
    edit->setText(QString::number(value));
    edit->setToolTip(QString());
}

void TGForm::Harvest() {
    auto takeSelection = [this] {
        int32_t mask = 0;
        for (int i = 0; i < kDdcChannels; ++i) {
            if (Box(ControlTable[88 + i])->isChecked()) {
                BitSet(mask, i);
            }
        }
        Settings.MaskSelFreqNCO = mask;
    };
    const char sep = decimalSeparator_;

    takeSelection();
    if (!Untouched(edit_[17])) {
        Settings.FreqNC0 = ParseSingle(TextOf(edit_[17]), sep);
    }
    Settings.EnableDDC = radioButton_[1]->isChecked() ? 0 : 1;
    Settings.Dither = checkBox_[85]->isChecked() ? 1 : 0;
    Settings.WorkMode = ChosenValue(comboBox_[2], Settings.WorkMode);
    int32_t gains = 0;
    int32_t channels = 0;
    for (int j = 0; j < kAdcs; ++j) {
        if (GainPairs[j].second->isChecked()) {
            BitSet(gains, j);
        }
    }
    Settings.AdcGainMask = gains;
    for (int j = 0; j < kAdcs; ++j) {
        if (Box(ControlTable[68 + j])->isChecked()) {
            BitSet(channels, j);
        }
    }
    Settings.ChannelMask = channels;
    takeSelection();
    Settings.DDCSyncMode = ChosenValue(comboBox_[3], Settings.DDCSyncMode);
    Settings.MasterMode = ChosenValue(comboBox_[4], Settings.MasterMode);
    Settings.StartSource = ChosenValue(comboBox_[5], Settings.StartSource);
    if (!Untouched(edit_[24])) {
        Settings.ComparatorThresholdSDX = ParseSingle(TextOf(edit_[24]), sep);
    }
    Settings.SamplesPerChannel = ChosenValue(comboBox_[6], Settings.SamplesPerChannel);
}
