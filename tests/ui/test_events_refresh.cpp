// What the refresh shows for stored values, odd ones included, and what the harvest reads back
// from the boxes, radio buttons and combo boxes.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <climits>
#include <ostream>
#include <string>

#include <gmock/gmock.h>

#include "core/setting_catalogue.h"
#include "files/config_file.h"
#include "tests/ui/support_form.h"

namespace {

using IntField = int32_t TSettings::*;

std::string CaseName(const char* name, int32_t value) {
    return std::string(name) + "_" + (value < 0 ? "m" : "") +
           std::to_string(value < 0 ? -static_cast<int64_t>(value) : value);
}

TEST_F(FormTest, ShowsAConfigurationWithOddValues) {
    WriteBytes(Path("std.cfg"), Fixture("odd.cfg"));
    ShowForm();

    EXPECT_EQ(W<QComboBox>("ComboBox6")->currentIndex(), -1);  // 3000 samples: no item offers it
    EXPECT_EQ(W<QComboBox>("ComboBox6")->currentText(), "3000");
    EXPECT_EQ(W<QComboBox>("ComboBox2")->currentIndex(), 0);
    EXPECT_EQ(W<QComboBox>("ComboBox1")->currentIndex(), 1);
    EXPECT_TRUE(W<QLineEdit>("Edit18")->isEnabled());
    EXPECT_EQ(W<QLineEdit>("Edit18")->text(), "120000000");
    EXPECT_TRUE(W<QRadioButton>("RadioButton2")->isChecked());
    EXPECT_FALSE(W<QCheckBox>("CheckBox85")->isChecked());
    EXPECT_FALSE(W<QRadioButton>("RadioButton3")->isChecked());
    EXPECT_TRUE(W<QRadioButton>("RadioButton4")->isChecked());
    EXPECT_EQ(W<QComboBox>("ComboBox3")->currentIndex(), -1);  // DDCSyncMode 0
    EXPECT_EQ(W<QComboBox>("ComboBox4")->currentIndex(), 2);
    EXPECT_EQ(W<QComboBox>("ComboBox5")->currentIndex(), -1);  // StartSource 3
    EXPECT_EQ(W<QComboBox>("ComboBox5")->currentText(), "3");
    EXPECT_EQ(W<QLineEdit>("Edit24")->text(), Num("-1.5"));
    EXPECT_EQ(W<QLineEdit>("Edit17")->text(), "5000000");
    EXPECT_EQ(W<QLineEdit>("Edit19")->text(), "65536");
    // Four 8-byte channels of 65536 samples fill half a 4096 KB buffer.
    EXPECT_EQ(W<QLineEdit>("Edit20")->text(), "4096");
    EXPECT_EQ(W<QLineEdit>("Edit25")->text(), "131072");
    EXPECT_EQ(W<QLineEdit>("Edit21")->text(), "rec.bin");
    EXPECT_EQ(W<QLineEdit>("Edit22")->text(), "PRGFILES\\Other.prg");
    EXPECT_EQ(W<QLineEdit>("Edit23")->text(), "std.cfg");

    // AdcGainMask 0xa: ADCs 1 and 3 on the 0.34 V range.
    const bool lowRange[kAdcs] = {false, true, false, true};
    for (int j = 0; j < kAdcs; ++j) {
        EXPECT_EQ(W<QRadioButton>(QStringLiteral("RadioButton%1").arg(5 + 2 * j))->isChecked(),
                  !lowRange[j])
            << "ADC " << j;
        EXPECT_EQ(W<QRadioButton>(QStringLiteral("RadioButton%1").arg(6 + 2 * j))->isChecked(),
                  lowRange[j])
            << "ADC " << j;
    }
    // ChannelMask 0x6; the box of ADC channel 0 starts unticked and stays so.
    const bool adcChannel[kAdcs] = {false, true, true, false};
    for (int j = 0; j < kAdcs; ++j) {
        EXPECT_EQ(W<QCheckBox>(QStringLiteral("CheckBox%1").arg(86 + j))->isChecked(),
                  adcChannel[j])
            << "ADC channel " << j;
    }
    // Channels 4 to 7 on ADCs 3, 3, 1, 1; the other channels are off whatever their ADC.
    const int shownAdc[kDdcChannels] = {-1, -1, -1, -1, 3, 3, 1, 1, -1, -1, -1, -1, -1, -1, -1, -1};
    for (int c = 0; c < kDdcChannels; ++c) {
        for (int j = 0; j < kAdcs; ++j) {
            EXPECT_EQ(MatrixBox(*form_, c, j)->isChecked(), shownAdc[c] == j)
                << "channel " << c << ", ADC " << j;
        }
        EXPECT_EQ(W<QLineEdit>(QStringLiteral("Edit%1").arg(c + 1))->text(),
                  QString::number(1500000 + 1000 * c))
            << "channel " << c;
        EXPECT_EQ(W<QCheckBox>(QStringLiteral("CheckBox%1").arg(69 + c))->isChecked(),
                  c >= 8 && c <= 11)
            << "selection of channel " << c;
    }
    EXPECT_TRUE(W<QCheckBox>("CheckBox66")->isChecked());
    EXPECT_FALSE(W<QCheckBox>("CheckBox67")->isChecked());
    EXPECT_TRUE(W<QCheckBox>("CheckBox68")->isChecked());
    EXPECT_FALSE(form_->Updating);
}

// Changes made by the program: ticks raise the click handlers, item and text changes raise none.
TEST_F(FormTest, ProgramTicksRaiseHandlersButItemsAndTextsDoNot) {
    ShowForm();
    W<QCheckBox>("CheckBox85")->setChecked(false);
    EXPECT_EQ(form_->Settings.Dither, 0);
    W<QRadioButton>("RadioButton1")->setChecked(true);
    EXPECT_EQ(form_->Settings.EnableDDC, 0);
    MatrixBox(*form_, 5, 2)->setChecked(false);
    EXPECT_EQ(form_->Settings.DDCChannelMask, 0xFFDF);

    W<QComboBox>("ComboBox2")->setCurrentIndex(0);
    W<QComboBox>("ComboBox1")->setCurrentIndex(1);
    W<QLineEdit>("Edit19")->setText("5");
    W<QLineEdit>("Edit17")->setText("5");
    QCoreApplication::processEvents();
    EXPECT_EQ(form_->Settings.WorkMode, 1);
    EXPECT_EQ(form_->Settings.ClockSource, 0);
    EXPECT_EQ(form_->Settings.DirSamplesPerChannel, 65536);
    EXPECT_EQ(form_->Settings.FreqNC0, 10700000.0f);
}

// A user click on a control read back by the harvest.
struct HarvestClickCase {
    const char* control;
    IntField field;
    int32_t expected;
};

// Test names shown by CTest stay readable and stable.
void PrintTo(const HarvestClickCase& c, std::ostream* out) {
    *out << c.control;
}

// clang-format off
const HarvestClickCase kHarvestClicks[] = {
    {"RadioButton1",  &TSettings::EnableDDC,      0},
    {"CheckBox85",    &TSettings::Dither,         0},
    {"RadioButton5",  &TSettings::AdcGainMask,    0x4},
    {"RadioButton8",  &TSettings::AdcGainMask,    0x7},
    {"RadioButton9",  &TSettings::AdcGainMask,    0x1},
    {"RadioButton12", &TSettings::AdcGainMask,    0xD},
    {"CheckBox87",    &TSettings::ChannelMask,    0x3},
    {"CheckBox89",    &TSettings::ChannelMask,    0x9},
    {"CheckBox69",    &TSettings::MaskSelFreqNCO, 0xFE},
    {"CheckBox84",    &TSettings::MaskSelFreqNCO, 0x80FF},
    {"RadioButton3",  &TSettings::DataFormat,     0},
    {"RadioButton4",  &TSettings::DataFormat,     4},
};
// clang-format on

class HarvestClickTest : public FormTest, public ::testing::WithParamInterface<HarvestClickCase> {};

TEST_P(HarvestClickTest, ClickStoresTheControl) {
    ShowForm();
    auto* control = W<QAbstractButton>(GetParam().control);
    const bool wasChecked = control->isChecked();

    Click(control);

    EXPECT_EQ(form_->Settings.*GetParam().field, GetParam().expected);
    EXPECT_NE(control->isChecked(), wasChecked);
    EXPECT_FALSE(form_->Updating);
}

INSTANTIATE_TEST_SUITE_P(Window, HarvestClickTest, ::testing::ValuesIn(kHarvestClicks),
                         [](const auto& info) { return std::string(info.param.control); });

TEST_F(FormTest, AdcModeRecomputesTheRecordingSize) {
    ShowForm();
    Click(W<QRadioButton>("RadioButton1"));
    // ADC channel 0 alone, 2 bytes, 65536 samples: one 4096 KB buffer holds 2097152 samples.
    EXPECT_EQ(W<QLineEdit>("Edit25")->text(), "2097152");
    EXPECT_EQ(W<QLineEdit>("Edit20")->text(), "4096");

    Click(W<QRadioButton>("RadioButton2"));
    Click(W<QRadioButton>("RadioButton3"));
    // 16 DDC channels of 4 bytes (16-bit format).
    EXPECT_EQ(W<QLineEdit>("Edit25")->text(), "65536");
    EXPECT_EQ(W<QLineEdit>("Edit20")->text(), "4096");
}

struct DataFormatCase {
    int32_t stored;
    bool ticks16;
    bool ticks24;
};

void PrintTo(const DataFormatCase& c, std::ostream* out) {
    *out << "DataFormat " << c.stored;
}

class DataFormatTest : public FormTest, public ::testing::WithParamInterface<DataFormatCase> {};

TEST_P(DataFormatTest, FreshWindowTicksOnlyAKnownFormat) {
    TSettings start;
    start.DataFormat = GetParam().stored;
    ASSERT_TRUE(WriteConfig(TSettings::StartupConfigName, start));
    ShowForm();
    EXPECT_EQ(W<QRadioButton>("RadioButton3")->isChecked(), GetParam().ticks16);
    EXPECT_EQ(W<QRadioButton>("RadioButton4")->isChecked(), GetParam().ticks24);
    EXPECT_EQ(form_->Settings.DataFormat, GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(
    Window, DataFormatTest,
    ::testing::Values(DataFormatCase{0, true, false}, DataFormatCase{4, false, true},
                      DataFormatCase{1, false, false}, DataFormatCase{7, false, false}),
    [](const auto& info) { return CaseName("DataFormat", info.param.stored); });

struct ViewerSamplesCase {
    int32_t stored;
    int shownItem;
    int32_t harvested;
};

void PrintTo(const ViewerSamplesCase& c, std::ostream* out) {
    *out << "SamplesPerChannel " << c.stored;
}

class ViewerSamplesTest : public FormTest,
                          public ::testing::WithParamInterface<ViewerSamplesCase> {};

TEST_P(ViewerSamplesTest, ShowsItsItemOrNoneAndKeepsTheValue) {
    ShowForm();
    form_->Settings.SamplesPerChannel = GetParam().stored;
    form_->UpdateAndRefresh();
    EXPECT_EQ(W<QComboBox>("ComboBox6")->currentIndex(), GetParam().shownItem);
    EXPECT_FALSE(form_->Updating);

    Click(W<QCheckBox>("CheckBox85"));

    EXPECT_EQ(form_->Settings.Dither, 0);
    EXPECT_EQ(form_->Settings.SamplesPerChannel, GetParam().harvested);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Window, ViewerSamplesTest, ::testing::Values(
    ViewerSamplesCase{1024,   0, 1024},
    ViewerSamplesCase{2047,  -1, 2047},
    ViewerSamplesCase{3000,  -1, 3000},
    ViewerSamplesCase{16384,  4, 16384},
    ViewerSamplesCase{32767, -1, 32767},
    ViewerSamplesCase{32768, -1, 32768},
    ViewerSamplesCase{-1,    -1, -1}),
    [](const auto& info) { return CaseName("Samples", info.param.stored); });
// clang-format on

class SmallViewerSamplesTest : public FormTest, public ::testing::WithParamInterface<int32_t> {};

// Below 1024 there is no item to show: the box shows none rather than a value not stored.
TEST_P(SmallViewerSamplesTest, RefreshShowsNoItemAndCompletes) {
    ShowForm();
    form_->Settings.SamplesPerChannel = GetParam();
    form_->Settings.ComparatorThresholdSDX = 2.0f;
    form_->UpdateAndRefresh();

    EXPECT_EQ(W<QComboBox>("ComboBox6")->currentIndex(), -1);
    EXPECT_EQ(W<QLineEdit>("Edit24")->text(), Num("2.0"));
    EXPECT_FALSE(form_->Updating);
    Click(W<QCheckBox>("CheckBox85"));
    EXPECT_EQ(form_->Settings.Dither, 0);
}

INSTANTIATE_TEST_SUITE_P(Window, SmallViewerSamplesTest, ::testing::Values(0, 512, 1023),
                         [](const auto& info) { return CaseName("Samples", info.param); });

// Settings for which the recording size has no result; the refresh must still reach its end.
struct NoRecordingSizeCase {
    const char* name;
    void (*set)(TSettings&);
};

void PrintTo(const NoRecordingSizeCase& c, std::ostream* out) {
    *out << c.name;
}

// clang-format off
const NoRecordingSizeCase kNoRecordingSize[] = {
    {"NoBuffer",        [](TSettings& s) { s.DirFileBufSize = 0; }},
    {"BufferWrapsTo0",  [](TSettings& s) { s.DirFileBufSize = 4194304; }},
    {"NoDdcChannel",    [](TSettings& s) { s.DDCChannelMask = 0; }},
    {"NoAdcChannel",    [](TSettings& s) { s.EnableDDC = 0; s.ChannelMask = 0; }},
    {"UnknownMode",     [](TSettings& s) { s.EnableDDC = 2; }},
    {"NegativeRequest", [](TSettings& s) { s.DirSamplesPerChannel = -5; }},
    {"HugeRequest",     [](TSettings& s) { s.DirSamplesPerChannel = INT_MAX; }},
};
// clang-format on

class NoRecordingSizeTest : public FormTest,
                            public ::testing::WithParamInterface<NoRecordingSizeCase> {};

TEST_P(NoRecordingSizeTest, RefreshCompletesAndTheWindowAnswers) {
    ShowForm();
    GetParam().set(form_->Settings);
    form_->Settings.ComparatorThresholdSDX = 2.0f;
    form_->Settings.SamplesPerChannel = 4096;
    form_->UpdateAndRefresh();

    EXPECT_FALSE(form_->Updating);
    EXPECT_EQ(W<QLineEdit>("Edit24")->text(), Num("2.0"));
    EXPECT_EQ(W<QComboBox>("ComboBox6")->currentIndex(), 2);
    Click(W<QCheckBox>("CheckBox85"));
    EXPECT_EQ(form_->Settings.Dither, 0);
}

INSTANTIATE_TEST_SUITE_P(Window, NoRecordingSizeTest, ::testing::ValuesIn(kNoRecordingSize),
                         [](const auto& info) { return std::string(info.param.name); });

class BadInputSourceTest : public FormTest, public ::testing::WithParamInterface<int32_t> {};

// An ADC number from a file that has no row must not tick a neighbouring box in its place.
TEST_P(BadInputSourceTest, TicksNoOtherControl) {
    TSettings start;
    start.DDCChannelMask = 0x0010;
    start.InputSource[4] = GetParam();
    start.ChannelMask = 0x4;
    ASSERT_TRUE(WriteConfig(TSettings::StartupConfigName, start));
    ShowForm();

    for (int c = 0; c < kDdcChannels; ++c) {
        for (int j = 0; j < kAdcs; ++j) {
            EXPECT_FALSE(MatrixBox(*form_, c, j)->isChecked()) << "channel " << c << ", ADC " << j;
        }
    }
    for (int box : {66, 67, 68, 86, 87, 89}) {
        EXPECT_FALSE(W<QCheckBox>(QStringLiteral("CheckBox%1").arg(box))->isChecked())
            << "CheckBox" << box;
    }
    EXPECT_TRUE(W<QCheckBox>("CheckBox88")->isChecked());
    EXPECT_FALSE(form_->Updating);
    EXPECT_EQ(form_->Settings.InputSource[4], GetParam());
}

INSTANTIATE_TEST_SUITE_P(Window, BadInputSourceTest,
                         ::testing::Values(4, 5, -1, 100, -100, INT_MIN),
                         [](const auto& info) { return CaseName("Source", info.param); });

// Stored values of the combo boxes read back by the harvest.
struct ComboValueCase {
    const char* combo;
    IntField field;
    int32_t stored;
    int shownItem;
    int32_t harvested;
};

void PrintTo(const ComboValueCase& c, std::ostream* out) {
    *out << c.combo << " showing " << c.stored;
}

// clang-format off
const ComboValueCase kComboValues[] = {
    {"ComboBox3", &TSettings::DDCSyncMode,  0, -1,  0},
    {"ComboBox3", &TSettings::DDCSyncMode,  2,  1,  2},
    {"ComboBox3", &TSettings::DDCSyncMode,  3, -1,  3},
    {"ComboBox4", &TSettings::MasterMode,   2,  2,  2},
    {"ComboBox4", &TSettings::MasterMode,   3, -1,  3},
    {"ComboBox4", &TSettings::MasterMode,  -1, -1, -1},
    {"ComboBox5", &TSettings::StartSource,  2,  1,  2},
    {"ComboBox5", &TSettings::StartSource,  3, -1,  3},
    {"ComboBox5", &TSettings::StartSource,  4,  2,  4},
    {"ComboBox5", &TSettings::StartSource,  6, -1,  6},
    {"ComboBox5", &TSettings::StartSource, -1, -1, -1},
    {"ComboBox2", &TSettings::WorkMode,     0,  0,  0},
    {"ComboBox2", &TSettings::WorkMode,     2, -1,  2},
    {"ComboBox1", &TSettings::ClockSource,  1,  1,  1},
    {"ComboBox1", &TSettings::ClockSource,  2, -1,  2},
    {"ComboBox6", &TSettings::SamplesPerChannel, 8192,  3,  8192},
    {"ComboBox6", &TSettings::SamplesPerChannel, 32768, -1, 32768},
    {"ComboBox6", &TSettings::SamplesPerChannel, 3000, -1,  3000},
};
// clang-format on

class ComboValueTest : public FormTest, public ::testing::WithParamInterface<ComboValueCase> {};

TEST_P(ComboValueTest, RefreshSelectsAndHarvestReadsBack) {
    const ComboValueCase& c = GetParam();
    ShowForm();
    form_->Settings.*c.field = c.stored;
    form_->UpdateAndRefresh();
    auto* combo = W<QComboBox>(c.combo);
    EXPECT_EQ(combo->currentIndex(), c.shownItem);
    if (c.shownItem < 0) {
        // The field shows the number that will be written; no item claims it.
        EXPECT_EQ(combo->currentText(), QString::number(c.stored));
    } else {
        // Each offered value goes value to item to value.
        EXPECT_EQ(combo->currentData().toInt(), c.stored);
    }

    // An unrelated click, a write and the close keep the value: only the user's choice of an
    // item changes it.
    Click(W<QCheckBox>("CheckBox85"));
    EXPECT_EQ(form_->Settings.*c.field, c.harvested);
    Click(W<QPushButton>("Button9"));
    // A value no item offers is an error finding: the write asks first (and is answered yes).
    for (const QString& message : TakeMessages()) {
        EXPECT_TRUE(message.startsWith(QString::fromUtf8("В настройках есть ошибк")))
            << message.toStdString();
    }
    form_->FormClose();
    const std::string key = FindSettingOfControl(c.combo)->key;
    const std::string config = key + "= " + std::to_string(c.harvested) + "\r\n";
    // The initialization file spells a number as its unsigned 32-bit pattern.
    const std::string ini = key + "= " + std::to_string(static_cast<uint32_t>(c.harvested)) + "\t";
    EXPECT_NE(ReadBytes(Path("std.cfg")).toStdString().find(config), std::string::npos);
    EXPECT_NE(ReadBytes(Path("exam_ddc.ini")).toStdString().find(ini), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Window, ComboValueTest, ::testing::ValuesIn(kComboValues),
                         [](const auto& info) {
                             return CaseName(info.param.combo, info.param.stored);
                         });

// A user's choice of an item.
struct ComboInputCase {
    const char* combo;
    int item;
    IntField field;
    int32_t expected;
};

void PrintTo(const ComboInputCase& c, std::ostream* out) {
    *out << c.combo << " item " << c.item;
}

// clang-format off
const ComboInputCase kComboInputs[] = {
    {"ComboBox1",  1, &TSettings::ClockSource,        1},
    {"ComboBox2",  0, &TSettings::WorkMode,           0},
    {"ComboBox3",  1, &TSettings::DDCSyncMode,        2},
    {"ComboBox4",  2, &TSettings::MasterMode,         2},
    {"ComboBox5",  1, &TSettings::StartSource,        2},
    {"ComboBox5",  2, &TSettings::StartSource,        4},
    {"ComboBox6",  3, &TSettings::SamplesPerChannel,  8192},
    {"ComboBox6",  4, &TSettings::SamplesPerChannel,  16384},
};
// clang-format on

class ComboInputTest : public FormTest, public ::testing::WithParamInterface<ComboInputCase> {};

TEST_P(ComboInputTest, StoresTheChoice) {
    const ComboInputCase& c = GetParam();
    ShowForm();
    auto* combo = W<QComboBox>(c.combo);

    ChooseComboItem(combo, c.item);

    EXPECT_EQ(form_->Settings.*c.field, c.expected);
    EXPECT_EQ(combo->currentIndex(), c.item);
    EXPECT_FALSE(form_->Updating);
}

INSTANTIATE_TEST_SUITE_P(Window, ComboInputTest, ::testing::ValuesIn(kComboInputs),
                         [](const auto& info) {
                             return CaseName(info.param.combo, info.param.item);
                         });

struct ClockCase {
    int32_t source;
    int shownItem;
    bool editEnabled;
    const char* shown;
};

void PrintTo(const ClockCase& c, std::ostream* out) {
    *out << "ClockSource " << c.source;
}

class ClockTest : public FormTest, public ::testing::WithParamInterface<ClockCase> {};

TEST_P(ClockTest, ValueFieldFollowsTheSource) {
    ShowForm();
    form_->Settings.ClockSource = GetParam().source;
    form_->UpdateAndRefresh();
    EXPECT_EQ(W<QComboBox>("ComboBox1")->currentIndex(), GetParam().shownItem);
    EXPECT_EQ(W<QLineEdit>("Edit18")->isEnabled(), GetParam().editEnabled);
    EXPECT_EQ(W<QLineEdit>("Edit18")->text(), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Window, ClockTest,
                         ::testing::Values(ClockCase{0, 0, false, "100000000"},
                                           ClockCase{1, 1, true, "110000000"},
                                           ClockCase{-1, -1, true, "110000000"},
                                           ClockCase{2, -1, true, "110000000"}),
                         [](const auto& info) { return CaseName("Clock", info.param.source); });

TEST_F(FormTest, ClockSourceChoiceSwitchesTheValueField) {
    ShowForm();
    auto* combo = W<QComboBox>("ComboBox1");
    auto* value = W<QLineEdit>("Edit18");
    EXPECT_FALSE(value->isEnabled());

    ChooseComboItem(combo, 1);
    EXPECT_EQ(form_->Settings.ClockSource, 1);
    EXPECT_TRUE(value->isEnabled());
    EXPECT_EQ(value->text(), "110000000");

    ChooseComboItem(combo, 0);
    EXPECT_EQ(form_->Settings.ClockSource, 0);
    EXPECT_FALSE(value->isEnabled());
    EXPECT_EQ(value->text(), "100000000");

    // Typed and confirmed, the item's text is a choice too.
    TypeIntoCombo(combo, "внешний");
    QTest::keyClick(combo, Qt::Key_Return);
    EXPECT_EQ(form_->Settings.ClockSource, 1);
    EXPECT_TRUE(value->isEnabled());
    EXPECT_EQ(value->text(), "110000000");
}

// Number texts, in the C locale and in one whose decimal separator is a comma.
struct NumberCase {
    double value;
    const char* shown;  // with a point; a comma locale shows a comma in its place
};

// clang-format off
const NumberCase kFrequencies[] = {
    {10700000,       "10700000"},
    {2.5,            "3"},
    {0.4,            "0"},
    {10000000000,    "1E10"},
    {12345678901,    "1.23456789E10"},
    {-2.5,           "-3"},
    {-0.4,           "0"},
    {9999999999.5,   "1E10"},
    {1234567890,     "1234567890"},
    {-10000000000,   "-1E10"},
    {1.5e20,         "1.5E20"},
    {0,              "0"},
};
const NumberCase kThresholds[] = {
    {1.0,    "1.0"},
    {1.26,   "1.3"},
    {123.45, "123.0"},
    {999.96, "1E3"},
    {-0.04,  "0.0"},
    {-1.5,   "-1.5"},
    {0.05,   "0.1"},
    {12.34,  "12.3"},
    {1234.5, "1.23E3"},
    {0,      "0.0"},
};
// clang-format on

class NumberDisplayTest : public FormTest, public ::testing::WithParamInterface<bool> {
  protected:
    void SetUp() override {
        FormTest::SetUp();
        ShowForm();
        // Either separator whatever the process locale: the C library's locale (set from the
        // environment) must not leak into the digits either way.
        QLocale::setDefault(GetParam() ? QLocale(QLocale::Russian, QLocale::Russia) : QLocale::c());
        QEvent change(QEvent::LocaleChange);
        QCoreApplication::sendEvent(form_.get(), &change);
    }
    QString Expected(const char* shown) const {
        QString text = QString::fromLatin1(shown);
        return GetParam() ? text.replace('.', ',') : text;
    }
};

TEST_P(NumberDisplayTest, FrequenciesShowTenSignificantDigitsWithoutDecimals) {
    form_->Settings.ClockSource = 1;
    for (const NumberCase& c : kFrequencies) {
        SCOPED_TRACE(c.shown);
        form_->Settings.ExternalClockValue = c.value;
        const bool fitsSingle = static_cast<double>(static_cast<float>(c.value)) == c.value;
        if (fitsSingle) {
            form_->Settings.FrequencyNCO[6] = static_cast<float>(c.value);
            form_->Settings.FreqNC0 = static_cast<float>(c.value);
        }
        form_->UpdateAndRefresh();
        EXPECT_EQ(W<QLineEdit>("Edit18")->text(), Expected(c.shown));
        if (fitsSingle) {
            EXPECT_EQ(W<QLineEdit>("Edit7")->text(), Expected(c.shown));
            EXPECT_EQ(W<QLineEdit>("Edit17")->text(), Expected(c.shown));
        }
    }
}

TEST_P(NumberDisplayTest, ThresholdShowsThreeSignificantDigitsWithOneDecimal) {
    for (const NumberCase& c : kThresholds) {
        SCOPED_TRACE(c.shown);
        form_->Settings.ComparatorThresholdSDX = static_cast<float>(c.value);
        form_->UpdateAndRefresh();
        EXPECT_EQ(W<QLineEdit>("Edit24")->text(), Expected(c.shown));
    }
}

// The locale's separator is shown; either is taken, as a keypad gives a point on any desktop.
TEST_P(NumberDisplayTest, TypedThresholdTakesEitherSeparatorAndShowsTheLocales) {
    const QString shown = GetParam() ? "2,5" : "2.5";
    const QString other = GetParam() ? "1.5" : "1,5";
    const QString bad = GetParam() ? "1.5,5" : "1,5.5";
    auto* edit = W<QLineEdit>("Edit24");

    TypeThenEnter(edit, shown);
    EXPECT_EQ(form_->Settings.ComparatorThresholdSDX, 2.5f);
    EXPECT_EQ(edit->text(), shown);

    TypeThenEnter(edit, other);
    EXPECT_EQ(form_->Settings.ComparatorThresholdSDX, 1.5f);
    EXPECT_EQ(edit->text(), GetParam() ? "1,5" : "1.5");

    TypeThenEnter(edit, bad);
    EXPECT_EQ(TakeMessages(),
              QStringList{QStringLiteral("'%1' is not a valid floating point value.").arg(bad)});
    EXPECT_EQ(form_->Settings.ComparatorThresholdSDX, 1.5f);
}

INSTANTIATE_TEST_SUITE_P(Window, NumberDisplayTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Comma" : "Point"; });

}  // namespace
