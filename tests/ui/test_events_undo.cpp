// Undo and redo: one step per handler that changed the settings, whatever kind of control ran
// it; a step puts the whole record and the window back; writing files is not undone.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QUndoStack>

#include <functional>
#include <ostream>
#include <string>

#include "files/config_file.h"
#include "tests/ui/support_form.h"

namespace {

class UndoTest : public FormTest {
  public:
    // The cases below act on the window from outside the fixture.
    using FormTest::form_;
    using FormTest::modals_;
    using FormTest::W;

    void SetUp() override {
        FormTest::SetUp();
        ShowForm();
    }

    int Steps() const { return form_->UndoStack()->count(); }
    // The keys as a user presses them, into whatever has the focus.
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target != nullptr ? target : form_.get(), key, modifiers);
        QCoreApplication::processEvents();
    }
    void Undo() { Press(Qt::Key_Z, Qt::ControlModifier); }
    void RedoShiftZ() { Press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); }
    void RedoY() { Press(Qt::Key_Y, Qt::ControlModifier); }

    // The window and the stored settings together.
    std::string State() {
        return StoredSettingsSnapshot(form_->Settings) + ControlsSnapshot(*form_).toStdString();
    }

    // A configuration file holding settings unlike the defaults.
    QString OtherConfig() {
        TSettings other = form_->Settings;
        other.DDCChannelMask = 0x00F0;
        other.FrequencyNCO[3] = 12345678.0f;
        other.WorkMode = 0;
        other.Dither = 0;
        const QString path = Path("other.cfg");
        EXPECT_TRUE(WriteConfig(path.toStdString(), other));
        return path;
    }
};

struct UndoCase {
    const char* name;
    std::function<void(UndoTest&)> act;
    std::function<void(UndoTest&)> prepare = {};  // before the state to come back to
};

void PrintTo(const UndoCase& c, std::ostream* out) {
    *out << c.name;
}

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// clang-format off
const UndoCase kUndoCases[] = {
    {"MatrixBoxClicked",     [](UndoTest& t) { Click(MatrixBox(*t.form_, 5, 2)); }},
    {"SpaceOnMatrixBox",     [](UndoTest& t) {
        MatrixBox(*t.form_, 7, 3)->setFocus(Qt::TabFocusReason);
        t.Press(Qt::Key_Space, Qt::NoModifier);
    }},
    {"OnlyChannel0",         [](UndoTest& t) { Click(t.W<QPushButton>("Button6")); }},
    {"NcoEditConfirmed",     [](UndoTest& t) { TypeThenEnter(t.W<QLineEdit>("Edit3"), "5000000"); }},
    {"NcoEditLeft",          [](UndoTest& t) {
        TypeThenLeave(t.W<QLineEdit>("Edit9"), "7000000", t.W<QLineEdit>("Edit10"));
    }},
    {"ClockValueNoRefresh",  [](UndoTest& t) { TypeThenEnter(t.W<QLineEdit>("Edit18"), "90000000"); },
                             [](UndoTest& t) { t.form_->Settings.ClockSource = 1; t.form_->UpdateAndRefresh(); }},
    {"WorkModeChosen",       [](UndoTest& t) { ChooseComboItem(t.W<QComboBox>("ComboBox2"), 0); }},
    {"ClockSourceChosen",    [](UndoTest& t) { ChooseComboItem(t.W<QComboBox>("ComboBox1"), 1); }},
    {"DitherUnticked",       [](UndoTest& t) { Click(t.W<QCheckBox>("CheckBox85")); }},
    {"ConfigurationRead",    [](UndoTest& t) {
        t.modals_->AcceptNextDialog("OpenDialog1", t.OtherConfig());
        Click(t.W<QPushButton>("Button12"));
        t.modals_->TakeFileDialogs();
    }},
};
// clang-format on

class UndoEachHandler : public UndoTest, public ::testing::WithParamInterface<UndoCase> {};

TEST_P(UndoEachHandler, OneStepUndoneAndRedoneWithTheWindow) {
    if (GetParam().prepare) {
        GetParam().prepare(*this);
    }
    const std::string before = State();
    GetParam().act(*this);
    const std::string after = State();
    ASSERT_NE(after, before);
    // The refresh's own clicks of dozens of boxes make no steps of their own.
    EXPECT_EQ(Steps(), 1);

    Undo();
    EXPECT_EQ(State(), before);
    RedoShiftZ();
    EXPECT_EQ(State(), after);
    Undo();
    EXPECT_EQ(State(), before);
    RedoY();
    EXPECT_EQ(State(), after);
    EXPECT_EQ(Steps(), 1);
}

INSTANTIATE_TEST_SUITE_P(Window, UndoEachHandler, ::testing::ValuesIn(kUndoCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ----- what makes no step -----

TEST_F(UndoTest, LoadingAtStartAndHandlersThatChangeNothingMakeNoStep) {
    EXPECT_EQ(Steps(), 0);
    WriteBytes(Path("exam_ddc.ini"), Fixture("exam_ddc_in.ini"));
    Click(W<QPushButton>("Button5"));  // all channels are on already
    TypeThenEnter(W<QLineEdit>("Edit2"), W<QLineEdit>("Edit2")->text());
    Click(W<QPushButton>("Button9"));  // writes exam_ddc.ini only
    EXPECT_EQ(Steps(), 0);
    const std::string state = State();
    Undo();
    EXPECT_EQ(State(), state);
}

TEST_F(UndoTest, WrittenFilesStayWhenTheStepIsUndone) {
    Click(W<QPushButton>("Button6"));
    modals_->AcceptNextDialog("SaveDialog3", Path("mine.cfg"));
    Click(W<QPushButton>("Button13"));
    modals_->TakeFileDialogs();
    const QByteArray written = ReadBytes(Path("mine.cfg"));
    ASSERT_FALSE(written.isEmpty());
    EXPECT_EQ(form_->Settings.CurrentConfigName, "mine.cfg");

    Undo();  // the name the window works under goes back, the file stays
    EXPECT_EQ(form_->Settings.CurrentConfigName, "std.cfg");
    EXPECT_EQ(ReadBytes(Path("mine.cfg")), written);
    Undo();
    EXPECT_EQ(form_->Settings.DDCChannelMask, 0xFFFF);
    EXPECT_EQ(ReadBytes(Path("mine.cfg")), written);
}

// A harvest stopped by text that does not convert has taken the fields before it.
TEST_F(UndoTest, HalfDoneHarvestIsOneStep) {
    TypeThenEnter(W<QLineEdit>("Edit17"), "abc");
    EXPECT_EQ(TakeMessages(), QStringList{U("'abc' is not a valid floating point value.")});
    const int32_t selectionBefore = form_->Settings.MaskSelFreqNCO;
    W<QCheckBox>("CheckBox80")->setChecked(true);  // channel 11, as a click would
    EXPECT_EQ(TakeMessages(), QStringList{U("'abc' is not a valid floating point value.")});
    EXPECT_EQ(form_->Settings.MaskSelFreqNCO, selectionBefore | (1 << 11));
    EXPECT_EQ(Steps(), 1);
    form_->UndoStep();  // the edit holds unconfirmed text: the first undo drops it
    form_->UndoStep();
    EXPECT_EQ(form_->Settings.MaskSelFreqNCO, selectionBefore);
}

// ----- unconfirmed text -----

TEST_F(UndoTest, UndoFirstDropsUnconfirmedTextThenUndoesTheLastStep) {
    Click(W<QPushButton>("Button6"));
    auto* edit = W<QLineEdit>("Edit5");
    const QString shown = edit->text();
    TypeText(edit, "123");
    ASSERT_TRUE(edit->isModified());

    Undo();
    EXPECT_EQ(edit->text(), shown);
    EXPECT_FALSE(edit->isModified());
    EXPECT_EQ(form_->Settings.DDCChannelMask, 0x0001);  // the step is still there

    Undo();
    EXPECT_EQ(form_->Settings.DDCChannelMask, 0xFFFF);
    // Leaving the edit now takes nothing new.
    Click(W<QCheckBox>("CheckBox85"));
    EXPECT_EQ(form_->Settings.FrequencyNCO[4], 10700004.0f);
}

// ----- depth -----

TEST_F(UndoTest, KeepsAtLeastAHundredSteps) {
    constexpr int kClicks = 120;
    for (int i = 0; i < kClicks; ++i) {
        Click(W<QPushButton>(i % 2 == 0 ? "Button6" : "Button5"));
    }
    EXPECT_EQ(Steps(), kClicks);
    for (int i = 0; i < kClicks; ++i) {
        form_->UndoStep();
    }
    EXPECT_EQ(form_->Settings.DDCChannelMask, 0xFFFF);
    EXPECT_FALSE(form_->UndoStack()->canUndo());
    form_->RedoStep();
    EXPECT_EQ(form_->Settings.DDCChannelMask, 0x0001);
}

}  // namespace
