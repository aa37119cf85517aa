// The window without the mouse: Tab in reading order, the arrow keys in the grids, Space, Enter
// through the sixteen NCO edits, and Esc in an edit holding unconfirmed text.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QUndoStack>

#include <ostream>
#include <string>

#include "tests/ui/support_form.h"
#include "ui/number_display.h"

namespace {

class KeyboardTest : public FormTest {
  protected:
    void SetUp() override {
        FormTest::SetUp();
        ShowForm();
    }
    QWidget* Focused() const { return QApplication::focusWidget(); }
    QString FocusedName() const { return Focused() != nullptr ? Focused()->objectName() : "none"; }
    void Press(Qt::Key key) {
        QTest::keyClick(Focused(), key);
        QCoreApplication::processEvents();
    }
    void Focus(const QString& name) {
        FindNamed(*form_, name)->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
    }
    QString Shown(float frequency) const {
        return QString::fromStdString(FormatFrequency(frequency, form_->DecimalSeparator()));
    }
};

QString Box(int n) {
    return QStringLiteral("CheckBox%1").arg(n);
}

QString Edit(int n) {
    return QStringLiteral("Edit%1").arg(n);
}

// ----- Tab -----

// Top to bottom, left to right, the NCO grid by channel as Enter goes; a frame of radio buttons is
// entered at its chosen button; the disabled controls (Edit18 with the internal clock, the
// indicators, Edit20, Edit25) are passed.
TEST_F(KeyboardTest, TabFollowsReadingOrder) {
    QStringList expected = {"Button12",      "Button13",     "Edit23",       "ComboBox1",
                            "RadioButton2",  "RadioButton6", "RadioButton7", "RadioButton10",
                            "RadioButton11", Box(87),        Box(88),        Box(89),
                            Box(85),         "Button11",     "Edit22"};
    for (int channel = 0; channel < kDdcChannels; ++channel) {  // the NCO grid by channel
        expected << Box(69 + channel) << Edit(1 + channel);
    }
    expected << "Edit17"
             << "Button7"
             << "Button8";
    for (int adc = 0; adc < kAdcs; ++adc) {  // the matrix row by row
        for (int channel = 0; channel < kDdcChannels; ++channel) {
            expected << Box(4 * channel + adc + 1);
        }
    }
    expected << "Button5"
             << "Button6"
             << "Button2"
             << "Button1"
             << "Button3"
             << "Button4"
             << "RadioButton3"
             << "ComboBox3"
             << "ComboBox4"
             << "ComboBox5"
             << "Edit24"
             << "ComboBox2"
             << "ComboBox6"
             << "Button10"
             << "Edit21"
             << "Edit19"
             << "PlanButton"
             << "Button9"
             << "FindingsList"
             << "WorkingFolderButton";

    Focus("Button12");
    QStringList seen;
    for (int i = 0; i <= expected.size(); ++i) {
        seen << FocusedName();
        Press(Qt::Key_Tab);
    }
    EXPECT_EQ(seen.mid(0, expected.size()), expected);
    EXPECT_EQ(seen.back(), "Button12");  // round again

    // Shift+Tab walks back the same way.
    Focus("Button9");
    Press(Qt::Key_Backtab);
    EXPECT_EQ(FocusedName(), "PlanButton");
}

// ----- arrows -----

struct ArrowCase {
    const char* from;
    Qt::Key key;
    const char* to;  // where the focus ends: the same control at an edge
};

const char* KeyName(Qt::Key key) {
    switch (key) {
        case Qt::Key_Left:
            return "Left";
        case Qt::Key_Right:
            return "Right";
        case Qt::Key_Up:
            return "Up";
        default:
            return "Down";
    }
}

void PrintTo(const ArrowCase& c, std::ostream* out) {
    *out << c.from << ' ' << KeyName(c.key) << " -> " << c.to;
}

// Matrix box of channel c, ADC j is CheckBox(4c + j + 1); NCO selection boxes CheckBox69-84 and
// edits Edit1-16 hold channels 0-3 in the first column, 4-7 in the second, and so on.
// clang-format off
const ArrowCase kArrowCases[] = {
    // the matrix: inside, across the gap between groups of four, and at all four edges
    {"CheckBox22", Qt::Key_Right, "CheckBox26"},  // channel 5 -> 6, ADC 1
    {"CheckBox22", Qt::Key_Left,  "CheckBox18"},
    {"CheckBox22", Qt::Key_Down,  "CheckBox23"},  // ADC 1 -> 2
    {"CheckBox22", Qt::Key_Up,    "CheckBox21"},
    {"CheckBox13", Qt::Key_Right, "CheckBox17"},  // channel 3 -> 4
    {"CheckBox1",  Qt::Key_Left,  "CheckBox1"},   // channel 0: left edge
    {"CheckBox1",  Qt::Key_Up,    "CheckBox1"},   // ADC 0: top edge
    {"CheckBox64", Qt::Key_Right, "CheckBox64"},  // channel 15: right edge
    {"CheckBox64", Qt::Key_Down,  "CheckBox64"},  // ADC 3: bottom edge
    {"CheckBox61", Qt::Key_Up,    "CheckBox61"},  // channel 15, ADC 0
    {"CheckBox4",  Qt::Key_Down,  "CheckBox4"},   // channel 0, ADC 3
    // the ADC channel boxes: channel 0's is disabled and passed over, so the row ends at 1
    {"CheckBox87", Qt::Key_Right, "CheckBox88"},
    {"CheckBox87", Qt::Key_Left,  "CheckBox87"},
    {"CheckBox89", Qt::Key_Right, "CheckBox89"},
    {"CheckBox88", Qt::Key_Up,    "CheckBox88"},
    // the NCO selection boxes and edits
    {"CheckBox69", Qt::Key_Right, "CheckBox73"},
    {"CheckBox69", Qt::Key_Down,  "CheckBox70"},
    {"CheckBox72", Qt::Key_Down,  "CheckBox72"},
    {"CheckBox84", Qt::Key_Right, "CheckBox84"},
    {"Edit1",      Qt::Key_Down,  "Edit2"},
    {"Edit6",      Qt::Key_Up,    "Edit5"},
    {"Edit5",      Qt::Key_Up,    "Edit5"},
    {"Edit16",     Qt::Key_Down,  "Edit16"},
};
// clang-format on

class ArrowMoves : public KeyboardTest, public ::testing::WithParamInterface<ArrowCase> {};

TEST_P(ArrowMoves, FocusGoesToTheNeighbourOrStaysAtTheEdge) {
    const std::string stored = StoredSettingsSnapshot(form_->Settings);
    Focus(GetParam().from);
    Press(GetParam().key);
    EXPECT_EQ(FocusedName(), GetParam().to);
    EXPECT_EQ(StoredSettingsSnapshot(form_->Settings), stored);  // moving ticks nothing
}

INSTANTIATE_TEST_SUITE_P(Window, ArrowMoves, ::testing::ValuesIn(kArrowCases),
                         [](const auto& info) {
                             return std::string(info.param.from) + KeyName(info.param.key);
                         });

// In an edit, left and right move the cursor; only past the text's ends do they leave it.
TEST_F(KeyboardTest, LeftAndRightLeaveAnEditOnlyPastItsEnds) {
    Focus("Edit6");  // channel 5, second column
    Press(Qt::Key_End);
    Press(Qt::Key_Left);
    EXPECT_EQ(FocusedName(), "Edit6");
    Press(Qt::Key_Right);
    Press(Qt::Key_Right);
    EXPECT_EQ(FocusedName(), "Edit10");  // channel 9, third column
    Press(Qt::Key_Home);
    Press(Qt::Key_Left);
    EXPECT_EQ(FocusedName(), "Edit6");
}

// ----- Space -----

TEST_F(KeyboardTest, SpaceTogglesBoxesSoTheMatrixIsSetWithoutTheMouse) {
    // Channel 6 from ADC 3 to ADC 1, then channel 7 off: arrows and Space only.
    Focus(Box(4 * 6 + 1 + 1));
    Press(Qt::Key_Space);
    EXPECT_EQ(form_->Settings.InputSource[6], 1);
    EXPECT_TRUE(MatrixBox(*form_, 6, 1)->isChecked());
    EXPECT_FALSE(MatrixBox(*form_, 6, 3)->isChecked());
    Press(Qt::Key_Right);
    Press(Qt::Key_Up);  // channel 7, ADC 0, which feeds it
    EXPECT_EQ(FocusedName(), Box(4 * 7 + 1));
    Press(Qt::Key_Space);
    EXPECT_FALSE(BitTest(form_->Settings.DDCChannelMask, 7));
    EXPECT_EQ(FocusedName(), Box(4 * 7 + 1));

    Focus("CheckBox85");  // dither
    Press(Qt::Key_Space);
    EXPECT_EQ(form_->Settings.Dither, 0);
}

// ----- Enter through the NCO edits -----

TEST_F(KeyboardTest, EnterTakesAFrequencyAndMovesToTheNextChannel) {
    Focus("Edit1");
    for (int channel = 0; channel < kDdcChannels; ++channel) {
        ASSERT_EQ(FocusedName(), Edit(1 + channel));
        // The next edit's text is selected: typing replaces it.
        QTest::keyClicks(Focused(), QString::number(20000000 + channel));
        Press(Qt::Key_Return);
    }
    for (int channel = 0; channel < kDdcChannels; ++channel) {
        EXPECT_EQ(form_->Settings.FrequencyNCO[channel], 20000000.0f + channel) << channel;
    }
    EXPECT_EQ(FocusedName(), "Edit16");  // the last channel keeps the focus
}

TEST_F(KeyboardTest, RefusedFrequencyKeepsTheFocus) {
    TypeThenEnter(W<QLineEdit>("Edit3"), "12x");
    EXPECT_EQ(TakeMessages(), QStringList{"'12x' is not a valid floating point value."});
    QCoreApplication::processEvents();
    EXPECT_EQ(FocusedName(), "Edit3");
    EXPECT_EQ(W<QLineEdit>("Edit3")->text(), "12x");
}

// ----- Esc -----

struct EscapeCase {
    const char* edit;
    const char* typed;
};

void PrintTo(const EscapeCase& c, std::ostream* out) {
    *out << c.edit;
}

// clang-format off
const EscapeCase kEscapeCases[] = {
    {"Edit5",  "123"},       // an NCO edit
    {"Edit17", "55"},        // the common frequency (harvested)
    {"Edit19", "77"},        // samples per channel in direct recording
    {"Edit21", "other.bin"}, // a file name
    {"Edit24", "2"},         // the comparator threshold
};
// clang-format on

class EscapeInEdit : public KeyboardTest, public ::testing::WithParamInterface<EscapeCase> {};

TEST_P(EscapeInEdit, PutsTheShownValueBackAndTakesNothing) {
    auto* edit = W<QLineEdit>(GetParam().edit);
    const QString shown = edit->text();
    const std::string stored = StoredSettingsSnapshot(form_->Settings);
    TypeText(edit, GetParam().typed);
    Press(Qt::Key_Escape);
    EXPECT_EQ(edit->text(), shown);
    EXPECT_FALSE(edit->isModified());
    EXPECT_EQ(FocusedName(), GetParam().edit);
    Press(Qt::Key_Tab);  // leaving takes the shown value, which changes nothing
    EXPECT_EQ(StoredSettingsSnapshot(form_->Settings), stored);
    EXPECT_EQ(form_->UndoStack()->count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Window, EscapeInEdit, ::testing::ValuesIn(kEscapeCases),
                         [](const auto& info) { return std::string(info.param.edit); });

TEST_F(KeyboardTest, EscapeAfterRefusedTextLetsTheFocusGo) {
    auto* edit = W<QLineEdit>("Edit2");
    TypeThenEnter(edit, "abc");
    EXPECT_EQ(TakeMessages(), QStringList{"'abc' is not a valid floating point value."});
    Press(Qt::Key_Escape);
    EXPECT_EQ(edit->text(), Shown(form_->Settings.FrequencyNCO[1]));
    Press(Qt::Key_Tab);
    EXPECT_EQ(TakeMessages(), QStringList());
    EXPECT_NE(FocusedName(), "Edit2");
}

// The clock value is taken without a refresh: once taken, it is the value shown, and Esc keeps it.
TEST_F(KeyboardTest, EscapeKeepsATakenClockValue) {
    form_->Settings.ClockSource = 1;
    form_->UpdateAndRefresh();
    auto* edit = W<QLineEdit>("Edit18");
    TypeThenEnter(edit, "90000000");
    EXPECT_EQ(form_->Settings.ExternalClockValue, 90000000.0);
    Press(Qt::Key_Escape);
    EXPECT_EQ(edit->text(), "90000000");
    TypeText(edit, "1");
    Press(Qt::Key_Escape);
    EXPECT_EQ(edit->text(), "90000000");
}

}  // namespace
