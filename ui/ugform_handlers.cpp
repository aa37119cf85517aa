// The handlers of the controls: one editing rule or a harvest, then a refresh.
#include "ui/ugform.h"

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
#include "files/session.h"
#include "ui/error_display.h"
#include "ui/number_display.h"
#include "ui/ugform_internal.h"

using namespace ugform;

// The working values follow the settings (a handler's change), then the window shows them.
void TGForm::UpdateAndRefresh() {
    RecomputeRecordingSize(Settings);
    Refresh();
}

// The pattern of the controls that the harvest reads back; ignored while a refresh runs.
void TGForm::GuardedHarvestAndRefresh() {
    if (Updating) {
        return;
    }
    Harvest();
    UpdateAndRefresh();
}

void TGForm::CheckBox1Click(QObject* Sender) {
    if (Updating || Sender == nullptr) {
        return;
    }
    const int channel = Sender->property("tag").toInt();
    uint32_t ticked = 0;
    for (int j = 0; j < kAdcs; ++j) {
        if (Box(ControlTable[4 * channel + j])->isChecked()) {
            ticked |= 1u << j;
        }
    }
    SetChannelAdcs(Settings, channel, ticked);
    UpdateAndRefresh();
}

void TGForm::Button5Click(QObject*) {
    EnableAllChannels(Settings);
    UpdateAndRefresh();
}

void TGForm::Button6Click(QObject*) {
    EnableOnlyChannel0(Settings);
    UpdateAndRefresh();
}

void TGForm::Button2Click(QObject* Sender) {
    if (Sender == nullptr) {
        return;
    }
    AllChannelsToAdc(Settings, Sender->property("tag").toInt());
    UpdateAndRefresh();
}

void TGForm::Edit1Exit(QObject* Sender) {
    if (Sender == nullptr) {
        return;
    }
    const int channel = Sender->property("tag").toInt();
    const QLineEdit* edit = EditOf(ControlTable[72 + channel]);
    if (!Untouched(edit)) {
        SetChannelFrequency(Settings, channel, TextOf(edit), decimalSeparator_);
    }
    UpdateAndRefresh();
}

void TGForm::Edit1KeyPress(QObject* Sender, char Key) {
    if (Key == '\r') {
        Edit1Exit(Sender);
    }
}

void TGForm::Button7Click(QObject*) {
    if (Untouched(edit_[17])) {
        ApplyFrequencyToAll(Settings, Settings.FreqNC0);
    } else {
        ApplyFrequencyToAll(Settings, TextOf(edit_[17]), decimalSeparator_);
    }
    UpdateAndRefresh();
}

void TGForm::Button8Click(QObject*) {
    uint32_t ticked = 0;
    for (int i = 0; i < kDdcChannels; ++i) {
        if (Box(ControlTable[88 + i])->isChecked()) {
            ticked |= 1u << i;
        }
    }
    if (Untouched(edit_[17])) {
        ApplyFrequencyToSelected(Settings, Settings.FreqNC0, ticked);
    } else {
        ApplyFrequencyToSelected(Settings, TextOf(edit_[17]), decimalSeparator_, ticked);
    }
    UpdateAndRefresh();
}

void TGForm::Edit17Exit(QObject*) {
    GuardedHarvestAndRefresh();
}

void TGForm::Edit17KeyPress(QObject* Sender, char Key) {
    if (Key == '\r') {
        Edit17Exit(Sender);
    }
}

void TGForm::ComboBox1Change(QObject*) {
    SetClockSource(Settings, ChosenValue(comboBox_[1], Settings.ClockSource));
    UpdateAndRefresh();
}

void TGForm::Edit18Exit(QObject*) {
    if (!Untouched(edit_[18])) {
        SetClockValue(Settings, TextOf(edit_[18]), decimalSeparator_);
    }
}

void TGForm::Edit18KeyPress(QObject* Sender, char Key) {
    if (Key == '\r') {
        Edit18Exit(Sender);
    }
}

void TGForm::RadioButton1Click(QObject*) {
    GuardedHarvestAndRefresh();
}

void TGForm::RadioButton3Click(QObject*) {
    if (Updating) {
        return;
    }
    SetDataFormat16(Settings);
    UpdateAndRefresh();
}

void TGForm::RadioButton4Click(QObject*) {
    if (Updating) {
        return;
    }
    SetDataFormat24(Settings);
    UpdateAndRefresh();
}

void TGForm::Edit19Exit(QObject*) {
    if (!Untouched(edit_[19])) {
        SetDirSamplesPerChannel(Settings, TextOf(edit_[19]));
    }
    UpdateAndRefresh();
}

void TGForm::Edit19KeyPress(QObject* Sender, char Key) {
    if (Key == '\r') {
        Edit19Exit(Sender);
    }
}

void TGForm::CheckBox69Click(QObject*) {
    GuardedHarvestAndRefresh();
}

void TGForm::ComboBox3Change(QObject*) {
    GuardedHarvestAndRefresh();
}

void TGForm::Edit24Exit(QObject*) {
    GuardedHarvestAndRefresh();
}

void TGForm::Edit24KeyPress(QObject* Sender, char Key) {
    if (Key == '\r') {
        Edit24Exit(Sender);
    }
}

void TGForm::ComboBox6Change(QObject*) {
    GuardedHarvestAndRefresh();
}

void TGForm::Edit21Exit(QObject*) {
    if (!Untouched(edit_[21])) {
        SetDirFileName(Settings, NameOf(edit_[21]));
    }
    UpdateAndRefresh();
}

void TGForm::Edit21KeyPress(QObject* Sender, char Key) {
    if (Key == '\r') {
        Edit21Exit(Sender);
    }
}

void TGForm::Edit22Exit(QObject*) {
    if (!Untouched(edit_[22])) {
        SetDdcProgramFile(Settings, NameOf(edit_[22]));
    }
    UpdateAndRefresh();
}

void TGForm::Edit22KeyPress(QObject* Sender, char Key) {
    if (Key == '\r') {
        Edit22Exit(Sender);
    }
}

void TGForm::Button9Click(QObject*) {
    if (!MayWriteIni()) {
        return;
    }
    std::string reason;
    InitializationFilePreview preview;
    if (!PreviewInitializationFile(Settings, preview, &reason) ||
        !WriteInitializationFile(Settings, &reason)) {
        iniStatus_->clear();
        ShowFileFailure(
            this,
            Text("Файл инициализации не записан: ") + QString::fromLatin1(TSettings::IniFileName),
            FromLocal(reason));
        return;
    }
    ShowIniWritten(ChangedValueCount(preview.before, preview.after));
    // A save clears the reason first: what is left is the write's warning.
    if (!reason.empty()) {
        ShowFileFailure(this,
                        Text("Файл инициализации записан, но не всё удалось подтвердить: ") +
                            QString::fromLatin1(TSettings::IniFileName),
                        FromLocal(reason));
    }
}
