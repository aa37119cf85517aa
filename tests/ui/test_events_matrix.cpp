// The channel-to-ADC matrix: clicks on its boxes, the buttons that switch or move all channels, and
// the guard that keeps the refresh's own ticks away from the editing rules.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <array>
#include <ostream>
#include <utility>
#include <vector>

#include "tests/ui/support_form.h"

namespace {

using SourceList = std::vector<std::pair<int, int>>;  // (channel, ADC)

class MatrixTest : public FormTest {
  protected:
    void SetChannels(int32_t mask, const SourceList& sources) {
        form_->Settings.DDCChannelMask = mask;
        for (auto [channel, adc] : sources) {
            form_->Settings.InputSource[channel] = adc;
        }
        form_->UpdateAndRefresh();
    }

    // Every enabled channel shows one tick, in the row of its ADC; a disabled channel none.
    void ExpectMatrixShowsSettings() {
        for (int c = 0; c < kDdcChannels; ++c) {
            for (int j = 0; j < kAdcs; ++j) {
                const bool expected = BitTest(form_->Settings.DDCChannelMask, c) &&
                                      form_->Settings.InputSource[c] == j;
                EXPECT_EQ(MatrixBox(*form_, c, j)->isChecked(), expected)
                    << "channel " << c << ", ADC " << j;
            }
        }
    }

    // The indicator of ADC 0 starts ticked and is never unticked; the others follow their use.
    void ExpectIndicatorsShowSettings() {
        EXPECT_TRUE(W<QCheckBox>("CheckBox65")->isChecked());
        for (int j = 1; j < kAdcs; ++j) {
            bool used = false;
            for (int c = 0; c < kDdcChannels; ++c) {
                used = used || (BitTest(form_->Settings.DDCChannelMask, c) &&
                                form_->Settings.InputSource[c] == j);
            }
            EXPECT_EQ(W<QCheckBox>(QStringLiteral("CheckBox%1").arg(65 + j))->isChecked(), used)
                << "indicator of ADC " << j;
        }
    }
};

struct MatrixCase {
    const char* name;
    int32_t mask;       // DDCChannelMask before the click
    SourceList before;  // InputSource values set before the click
    int channel;        // the box clicked
    int adc;
    int32_t expectedMask;
    SourceList expected;  // InputSource values after the click
};

// Test names shown by CTest stay readable and stable.
void PrintTo(const MatrixCase& c, std::ostream* out) {
    *out << c.name;
}

// clang-format off
const MatrixCase kMatrixCases[] = {
    {"UntickKeepsSource",        0xFFFF, {},               5, 2, 0xFFDF, {{5, 2}}},
    {"TickDisabledChannel",      0xFFDF, {},               5, 1, 0xFFFF, {{5, 1}}},
    {"MoveToLowerAdc",           0xFFFF, {{3, 2}},         3, 0, 0xFFFF, {{3, 0}}},
    {"MoveToHigherAdc",          0xFFFF, {{3, 0}},         3, 2, 0xFFFF, {{3, 2}}},
    {"MoveChannel0ToAdc3",       0xFFFF, {{0, 1}},         0, 3, 0xFFFF, {{0, 3}}},
    {"LastChannelGivesChannel0", 0x0200, {{9, 3}, {0, 2}}, 9, 3, 0x0001, {{0, 0}, {9, 3}}},
    {"LastChannelIsChannel0",    0x0001, {{0, 1}},         0, 1, 0x0001, {{0, 0}}},
};
// clang-format on

class MatrixClickTest : public MatrixTest, public ::testing::WithParamInterface<MatrixCase> {};

TEST_P(MatrixClickTest, ClickAppliesTheMatrixRuleAndRedraws) {
    const MatrixCase& c = GetParam();
    ShowForm();
    SetChannels(c.mask, c.before);

    Click(MatrixBox(*form_, c.channel, c.adc));

    EXPECT_EQ(form_->Settings.DDCChannelMask, c.expectedMask);
    for (auto [channel, adc] : c.expected) {
        EXPECT_EQ(form_->Settings.InputSource[channel], adc) << "InputSource" << channel;
    }
    ExpectMatrixShowsSettings();
    ExpectIndicatorsShowSettings();
}

INSTANTIATE_TEST_SUITE_P(Window, MatrixClickTest, ::testing::ValuesIn(kMatrixCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MatrixTest, UntickingAChannelRecomputesTheRecordingSize) {
    ShowForm();
    EXPECT_EQ(W<QLineEdit>("Edit25")->text(), "65536");
    EXPECT_EQ(W<QLineEdit>("Edit20")->text(), "8192");

    Click(MatrixBox(*form_, 5, 2));

    // 15 channels of 8 bytes, 65536 samples: two 4096 KB buffers hold 69905 samples a channel.
    EXPECT_EQ(W<QLineEdit>("Edit25")->text(), "69905");
    EXPECT_EQ(W<QLineEdit>("Edit20")->text(), "8192");
}

TEST_F(MatrixTest, MovingTheLastUserOffAnAdcUnticksItsIndicator) {
    ShowForm();
    SetChannels(0x0003, {{0, 0}, {1, 3}});
    EXPECT_TRUE(W<QCheckBox>("CheckBox68")->isChecked());

    Click(MatrixBox(*form_, 1, 2));

    EXPECT_EQ(form_->Settings.InputSource[1], 2);
    EXPECT_FALSE(W<QCheckBox>("CheckBox68")->isChecked());
    EXPECT_TRUE(W<QCheckBox>("CheckBox67")->isChecked());
}

struct AdcButtonCase {
    const char* button;
    int adc;
};

void PrintTo(const AdcButtonCase& c, std::ostream* out) {
    *out << c.button;
}

class AllChannelsToAdcTest : public MatrixTest,
                             public ::testing::WithParamInterface<AdcButtonCase> {};

TEST_P(AllChannelsToAdcTest, MovesEveryChannelAndKeepsDisabledOnesDisabled) {
    ShowForm();
    SetChannels(0x0F0F, {});

    Click(W<QPushButton>(GetParam().button));

    EXPECT_EQ(form_->Settings.DDCChannelMask, 0x0F0F);
    for (int c = 0; c < kDdcChannels; ++c) {
        EXPECT_EQ(form_->Settings.InputSource[c], GetParam().adc) << "InputSource" << c;
    }
    ExpectMatrixShowsSettings();
    ExpectIndicatorsShowSettings();
}

// The buttons "0" to "3" are named out of order.
INSTANTIATE_TEST_SUITE_P(Window, AllChannelsToAdcTest,
                         ::testing::Values(AdcButtonCase{"Button2", 0}, AdcButtonCase{"Button1", 1},
                                           AdcButtonCase{"Button3", 2},
                                           AdcButtonCase{"Button4", 3}),
                         [](const auto& info) { return std::string(info.param.button); });

TEST_F(MatrixTest, EnableAllAndOnlyChannel0) {
    ShowForm();
    SetChannels(0x0006, {{0, 2}});

    Click(W<QPushButton>("Button5"));
    EXPECT_EQ(form_->Settings.DDCChannelMask, 0xFFFF);
    EXPECT_EQ(form_->Settings.InputSource[0], 2);
    ExpectMatrixShowsSettings();

    Click(W<QPushButton>("Button6"));
    EXPECT_EQ(form_->Settings.DDCChannelMask, 0x0001);
    EXPECT_EQ(form_->Settings.InputSource[0], 0);
    ExpectMatrixShowsSettings();
    // One 8-byte channel of 65536 samples fills an eighth of a 4096 KB buffer; the whole buffer
    // is recorded.
    EXPECT_EQ(W<QLineEdit>("Edit25")->text(), "524288");
}

TEST_F(MatrixTest, RefreshTicksReachNoHandler) {
    ShowForm();
    // form_->Settings that differ from the window in every ticked control, changed behind its back.
    form_->Settings.DDCChannelMask = 0x0F0F;
    form_->Settings.InputSource[0] = 3;
    form_->Settings.InputSource[9] = 0;
    form_->Settings.EnableDDC = 0;
    form_->Settings.Dither = 0;
    form_->Settings.AdcGainMask = 0xA;
    form_->Settings.ChannelMask = 0x6;
    form_->Settings.MaskSelFreqNCO = 0x1234;
    form_->Settings.DataFormat = 4;
    form_->Settings.WorkMode = 0;
    form_->Settings.SamplesPerChannel = 4096;
    const std::string before = StoredSettingsSnapshot(form_->Settings);

    form_->UpdateAndRefresh();

    EXPECT_EQ(StoredSettingsSnapshot(form_->Settings), before);
    EXPECT_FALSE(form_->Updating);
    ExpectMatrixShowsSettings();
    EXPECT_TRUE(W<QRadioButton>("RadioButton1")->isChecked());
    EXPECT_FALSE(W<QCheckBox>("CheckBox85")->isChecked());
    EXPECT_TRUE(W<QRadioButton>("RadioButton4")->isChecked());
}

TEST_F(MatrixTest, RefreshRaisesTheClickEventsWithUpdatingSet) {
    ShowForm();
    std::vector<bool> updatingSeen;
    QObject::connect(MatrixBox(*form_, 2, 1), &QCheckBox::toggled,
                     [this, &updatingSeen] { updatingSeen.push_back(form_->Updating); });
    form_->Settings.InputSource[2] = 1;

    form_->UpdateAndRefresh();

    EXPECT_EQ(updatingSeen, std::vector<bool>{true});
    EXPECT_FALSE(form_->Updating);
}

// A user action on a guarded control, made while a refresh is running.
struct GuardCase {
    const char* name;
    void (*act)(TGForm& form);
};

void PrintTo(const GuardCase& c, std::ostream* out) {
    *out << c.name;
}

// clang-format off
const GuardCase kGuardCases[] = {
    {"MatrixBox",     [](TGForm& f) { Click(MatrixBox(f, 5, 2)); }},
    {"AdcChannelBox", [](TGForm& f) { Click(Find<QCheckBox>(f, "CheckBox87")); }},
    {"AdcMode",       [](TGForm& f) { Click(Find<QRadioButton>(f, "RadioButton1")); }},
    {"Dither",        [](TGForm& f) { Click(Find<QCheckBox>(f, "CheckBox85")); }},
    {"Gain",          [](TGForm& f) { Click(Find<QRadioButton>(f, "RadioButton5")); }},
    {"Format16",      [](TGForm& f) { Click(Find<QRadioButton>(f, "RadioButton3")); }},
    {"Format24",      [](TGForm& f) { Click(Find<QRadioButton>(f, "RadioButton4")); }},
    {"SelectionBox",  [](TGForm& f) { Click(Find<QCheckBox>(f, "CheckBox69")); }},
    {"WorkMode",      [](TGForm& f) { ChooseComboItem(Find<QComboBox>(f, "ComboBox2"), 0); }},
    {"SyncMode",      [](TGForm& f) { ChooseComboItem(Find<QComboBox>(f, "ComboBox3"), 1); }},
    {"MasterMode",    [](TGForm& f) { ChooseComboItem(Find<QComboBox>(f, "ComboBox4"), 2); }},
    {"StartSource",   [](TGForm& f) { ChooseComboItem(Find<QComboBox>(f, "ComboBox5"), 2); }},
    {"ViewerSamples", [](TGForm& f) { ChooseComboItem(Find<QComboBox>(f, "ComboBox6"), 3); }},
    {"CommonFreq",    [](TGForm& f) { TypeThenEnter(Find<QLineEdit>(f, "Edit17"), "5000000"); }},
    {"Threshold",     [](TGForm& f) { TypeThenEnter(Find<QLineEdit>(f, "Edit24"), "2"); }},
};
// clang-format on

class GuardTest : public FormTest, public ::testing::WithParamInterface<GuardCase> {};

TEST_P(GuardTest, GuardedHandlerDoesNothingWhileUpdating) {
    ShowForm();
    const std::string before = StoredSettingsSnapshot(form_->Settings);

    form_->Updating = true;
    GetParam().act(*form_);
    form_->Updating = false;

    EXPECT_EQ(StoredSettingsSnapshot(form_->Settings), before);
}

TEST_P(GuardTest, SameActionChangesSettingsOnceTheRefreshIsOver) {
    ShowForm();
    const std::string before = StoredSettingsSnapshot(form_->Settings);

    GetParam().act(*form_);

    EXPECT_NE(StoredSettingsSnapshot(form_->Settings), before);
}

INSTANTIATE_TEST_SUITE_P(Window, GuardTest, ::testing::ValuesIn(kGuardCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
