// Text typed into the list fields, a refused field holding the window, and file dialogs that
// open without what was typed into them before a cancel.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSpontaneKeyEvent>
#include <QTest>
#include <QWheelEvent>
#include <QWindow>

#include <ostream>

#include "tests/ui/support_form.h"

namespace {

using IntField = int32_t TSettings::*;

enum class Confirm { Enter, ClickElsewhere };

struct TypedChoiceCase {
    const char* combo;
    const char* typed;
    Confirm confirm;
    IntField field;
    int32_t stored;  // after the confirmation
    int shownItem;
    const char* list;  // the list named in the refusal; none when the text is taken
};

void PrintTo(const TypedChoiceCase& c, std::ostream* out) {
    *out << c.combo << " '" << c.typed << "'";
}

constexpr auto kEnter = Confirm::Enter;
constexpr auto kLeave = Confirm::ClickElsewhere;

// clang-format off
const TypedChoiceCase kTypedChoices[] = {
    {"ComboBox1", "внешний",                      kEnter, &TSettings::ClockSource,        1,     1, nullptr},
    {"ComboBox1", "1",                            kEnter, &TSettings::ClockSource,        0,     0, "Источник тактовой частоты"},
    {"ComboBox2", "работа с osmir файл data.bin", kLeave, &TSettings::WorkMode,           0,     0, nullptr},
    {"ComboBox2", "x",                            kLeave, &TSettings::WorkMode,           1,     1, "Режим работы"},
    {"ComboBox3", "2",                            kEnter, &TSettings::DDCSyncMode,        2,     1, nullptr},
    {"ComboBox3", "0",                            kLeave, &TSettings::DDCSyncMode,        1,     0, "Режим синхронизации DDC"},
    {"ComboBox4", "2",                            kEnter, &TSettings::MasterMode,         2,     2, nullptr},
    {"ComboBox4", "1-single",                     kLeave, &TSettings::MasterMode,         1,     1, nullptr},
    {"ComboBox4", "q",                            kEnter, &TSettings::MasterMode,         0,     0, "Мастер режим"},
    {"ComboBox5", "4",                            kLeave, &TSettings::StartSource,        4,     2, nullptr},
    {"ComboBox5", "3",                            kEnter, &TSettings::StartSource,        0,     0, "Источник старта"},
    {"ComboBox6", "2048",                         kEnter, &TSettings::SamplesPerChannel,  2048,  1, nullptr},
    {"ComboBox6", "16384",                        kLeave, &TSettings::SamplesPerChannel,  16384, 4, nullptr},
    {"ComboBox6", "5",                            kEnter, &TSettings::SamplesPerChannel,  1024,  0, "Число отсчётов на канал"},
    {"ComboBox6", "",                             kLeave, &TSettings::SamplesPerChannel,  1024,  0, "Число отсчётов на канал"},
};
// clang-format on

class TypedChoiceTest : public FormTest, public ::testing::WithParamInterface<TypedChoiceCase> {};

TEST_P(TypedChoiceTest, TakenWhenConfirmedOrRefused) {
    const TypedChoiceCase& c = GetParam();
    ShowForm();
    auto* combo = W<QComboBox>(c.combo);
    auto* dither = W<QCheckBox>("CheckBox85");

    TypeIntoCombo(combo, QString::fromUtf8(c.typed));
    EXPECT_EQ(form_->Settings.*c.field, TSettings{}.*c.field) << "taken before it was confirmed";
    if (c.confirm == Confirm::Enter) {
        QTest::keyClick(combo, Qt::Key_Return);
    } else {
        Click(dither);
    }
    QCoreApplication::processEvents();

    EXPECT_EQ(form_->Settings.*c.field, c.stored);
    EXPECT_EQ(combo->currentIndex(), c.shownItem);
    EXPECT_EQ(combo->currentText(), combo->itemText(c.shownItem));
    EXPECT_FALSE(form_->Updating);
    if (c.list == nullptr) {
        EXPECT_EQ(TakeMessages(), QStringList());
        return;
    }
    EXPECT_EQ(TakeMessages(),
              QStringList{QString::fromUtf8("'%1' — нет такого значения в списке «%2».")
                              .arg(QString::fromUtf8(c.typed), QString::fromUtf8(c.list))});
    // The click that confirmed the refused text is dropped and the list keeps the focus.
    EXPECT_EQ(form_->Settings.Dither, 1);
    EXPECT_TRUE(dither->isChecked());
    EXPECT_EQ(form_->focusWidget(), combo);
}

INSTANTIATE_TEST_SUITE_P(Window, TypedChoiceTest, ::testing::ValuesIn(kTypedChoices),
                         [](const auto& info) {
                             return std::string(info.param.combo) + "_" +
                                    std::to_string(info.index);
                         });

// Input the window must not take while a refused field holds it.
void WheelOver(QWidget* target, int steps) {
    QWidget* window = target->window();
    const QPoint centre = target->rect().center();
    QWheelEvent wheel(target->mapTo(window, centre), target->mapToGlobal(centre), QPoint(),
                      QPoint(0, 120 * steps), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                      false);
    // As from the platform: the window hands it to the widget under the mouse, which may take
    // the focus by it.
    QSpontaneKeyEvent::setSpontaneous(&wheel);
    qApp->notify(window->windowHandle(), &wheel);
    QCoreApplication::processEvents();
}

// Keys already queued when the refusal's message box opens.
void TypeAhead(QWidget* target, std::initializer_list<Qt::Key> keys) {
    for (Qt::Key key : keys) {
        const QString text = key == Qt::Key_Return ? QStringLiteral("\r") : QString();
        QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, {}, text));
        QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, key, {}, text));
    }
    QCoreApplication::processEvents();
}

struct HoldCase {
    const char* name;
    const char* field;
    const char* refused;
    const char* corrected;
    const char* message;
    void (*refuse)(TGForm& form, QLineEdit* field);
    void (*elsewhere)(TGForm& form);
};

void PrintTo(const HoldCase& c, std::ostream* out) {
    *out << c.name;
}

void Enter(TGForm&, QLineEdit* field) {
    QTest::keyClick(field, Qt::Key_Return);
    QCoreApplication::processEvents();
}

void LeaveForDither(TGForm& form, QLineEdit*) {
    Click(Find<QCheckBox>(form, "CheckBox85"));
    QCoreApplication::processEvents();
}

void Nothing(TGForm&) {}

// clang-format off
const HoldCase kHolds[] = {
    {"WheelOverList",        "Edit19", "12x", "1000",    "'12x' is not a valid integer value.",
     Enter, [](TGForm& f) { WheelOver(Find<QComboBox>(f, "ComboBox6"), -1); }},
    {"WheelAfterLeaving",    "Edit1",  "1x",  "5",       "'1x' is not a valid floating point value.",
     LeaveForDither, [](TGForm& f) { WheelOver(Find<QComboBox>(f, "ComboBox2"), 1); }},
    {"ArrowKeyInList",       "Edit24", "x1",  "2",       "'x1' is not a valid floating point value.",
     Enter, [](TGForm& f) { QTest::keyClick(Find<QComboBox>(f, "ComboBox4"), Qt::Key_Down); }},
    {"SpaceOnButton",        "Edit19", "12x", "1000",    "'12x' is not a valid integer value.",
     Enter, [](TGForm& f) { QTest::keyClick(Find<QPushButton>(f, "Button6"), Qt::Key_Space); }},
    {"EnterTypedAhead",      "Edit19", "12x", "1000",    "'12x' is not a valid integer value.",
     [](TGForm&, QLineEdit* e) { TypeAhead(e, {Qt::Key_Return, Qt::Key_Return}); }, Nothing},
    {"TabThenEnterTypedAhead", "Edit17", "abc", "5000000", "'abc' is not a valid floating point value.",
     [](TGForm&, QLineEdit* e) { TypeAhead(e, {Qt::Key_Tab, Qt::Key_Return}); }, Nothing},
};
// clang-format on

class HoldTest : public FormTest, public ::testing::WithParamInterface<HoldCase> {};

TEST_P(HoldTest, NothingElseTakesInputUntilCorrected) {
    const HoldCase& c = GetParam();
    ShowForm();
    auto* field = W<QLineEdit>(c.field);
    const std::string stored = StoredSettingsSnapshot(form_->Settings);

    TypeText(field, c.refused);
    c.refuse(*form_, field);
    c.elsewhere(*form_);
    QCoreApplication::processEvents();

    EXPECT_EQ(TakeMessages(), QStringList{c.message});
    EXPECT_EQ(StoredSettingsSnapshot(form_->Settings), stored);
    EXPECT_EQ(field->text(), c.refused);
    EXPECT_EQ(form_->focusWidget(), field);

    // Corrected, the field lets the window go.
    TypeThenEnter(field, c.corrected);
    EXPECT_EQ(TakeMessages(), QStringList());
    Click(W<QCheckBox>("CheckBox85"));
    EXPECT_EQ(form_->Settings.Dither, 0);
}

INSTANTIATE_TEST_SUITE_P(Window, HoldTest, ::testing::ValuesIn(kHolds),
                         [](const auto& info) { return std::string(info.param.name); });

// A name typed into a dialog and cancelled is not offered the next time.
struct DialogNameCase {
    const char* button;
    const char* dialog;
    const char* chosen;  // accepted first; none: nothing chosen yet
};

void PrintTo(const DialogNameCase& c, std::ostream* out) {
    *out << c.dialog << (c.chosen != nullptr ? " after a choice" : "");
}

// clang-format off
const DialogNameCase kDialogNames[] = {
    {"Button10", "SaveDialog1", nullptr},
    {"Button10", "SaveDialog1", "rec/out.bin"},
    {"Button11", "OpenDialog2", nullptr},
    {"Button11", "OpenDialog2", "PRGFILES/IsGsm.prg"},
    {"Button12", "OpenDialog1", nullptr},
    {"Button12", "OpenDialog1", "MODSET/odd.cfg"},
    {"Button13", "SaveDialog3", nullptr},
    {"Button13", "SaveDialog3", "CONFIGS/mine.cfg"},
};
// clang-format on

class DialogNameTest : public FormTest, public ::testing::WithParamInterface<DialogNameCase> {};

TEST_P(DialogNameTest, StartsWithTheLastChoiceOrEmpty) {
    const DialogNameCase& c = GetParam();
    for (const char* folder : {"rec", "PRGFILES", "MODSET", "CONFIGS"}) {
        MakeDir(folder);
    }
    WriteBytes(Path("PRGFILES/IsGsm.prg"), "program");
    WriteBytes(Path("MODSET/odd.cfg"), "[Option]\r\nDither= 0\r\n");
    ShowForm();
    auto* button = W<QPushButton>(c.button);
    QString expected;
    if (c.chosen != nullptr) {
        modals_->AcceptNextDialog(c.dialog, Path(c.chosen));
        Click(button);
        expected = QDir::toNativeSeparators(Path(c.chosen));
    }
    modals_->TypeThenCancelNextDialog(c.dialog, "typo");
    Click(button);
    modals_->CancelNextDialog(c.dialog);
    Click(button);

    const std::vector<SeenFileDialog> seen = modals_->TakeFileDialogs();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().nameField, expected);
    EXPECT_EQ(seen[seen.size() - 2].nameField, expected);
}

INSTANTIATE_TEST_SUITE_P(Window, DialogNameTest, ::testing::ValuesIn(kDialogNames),
                         [](const auto& info) {
                             return std::string(info.param.dialog) +
                                    (info.param.chosen != nullptr ? "_AfterChoice" : "_Fresh");
                         });

}  // namespace
