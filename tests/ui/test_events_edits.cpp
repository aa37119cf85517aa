// Edit fields: a value is taken on Enter or when the focus moves to another control of the window,
// refused texts are reported and block the harvest until corrected.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gmock/gmock.h>

#include "tests/ui/support_form.h"

namespace {

using ::testing::Each;
using ::testing::Eq;
using ::testing::IsEmpty;
using ::testing::Not;

class EditTest : public FormTest {
  protected:
    void SetUp() override {
        FormTest::SetUp();
        ShowForm();
    }
};

TEST_F(EditTest, NcoEditsStoreTheirChannelOnEnter) {
    for (int k = 1; k <= kDdcChannels; ++k) {
        SCOPED_TRACE(k);
        TypeThenEnter(W<QLineEdit>(QStringLiteral("Edit%1").arg(k)), QString::number(1000 + k));
        EXPECT_EQ(form_->Settings.FrequencyNCO[k - 1], 1000.0f + k);
        EXPECT_EQ(W<QLineEdit>(QStringLiteral("Edit%1").arg(k))->text(), QString::number(1000 + k));
    }
    EXPECT_EQ(form_->Settings.FreqNC0, 10700000.0f);
}

TEST_F(EditTest, NcoEditStoresOnFocusLossAndRedraws) {
    TypeThenLeave(W<QLineEdit>("Edit5"), Num("2.5"), W<QLineEdit>("Edit6"));
    EXPECT_EQ(form_->Settings.FrequencyNCO[4], 2.5f);
    EXPECT_EQ(W<QLineEdit>("Edit5")->text(), "3");  // redrawn: whole hertz
    EXPECT_EQ(form_->Settings.FrequencyNCO[5], 10700005.0f);
}

TEST_F(EditTest, Edit18EnterStoresTheClockWithoutRedrawing) {
    ChooseComboItem(W<QComboBox>("ComboBox1"), 1);
    // Changed behind the window's back: a redraw would show them.
    form_->Settings.FrequencyNCO[0] = 5.0f;
    form_->Settings.DirSamplesPerChannel = 1000;
    form_->Settings.ComparatorThresholdSDX = 2.0f;
    const QString before = ControlsSnapshot(*form_, {"Edit18"});

    TypeThenEnter(W<QLineEdit>("Edit18"), Num("120000000.4"));

    EXPECT_EQ(form_->Settings.ExternalClockValue, 120000000.4);
    EXPECT_EQ(form_->Settings.InternalClockValue, 100000000.0);
    EXPECT_EQ(ControlsSnapshot(*form_, {"Edit18"}), before);
    EXPECT_EQ(W<QLineEdit>("Edit18")->text(), Num("120000000.4"));
}

TEST_F(EditTest, Edit18FocusLossStoresTheClockWithoutRedrawing) {
    ChooseComboItem(W<QComboBox>("ComboBox1"), 1);
    form_->Settings.DirSamplesPerChannel = 1000;
    const QString before = ControlsSnapshot(*form_, {"Edit18"});

    TypeThenLeave(W<QLineEdit>("Edit18"), "90000000", W<QLineEdit>("Edit19"));

    EXPECT_EQ(form_->Settings.ExternalClockValue, 90000000.0);
    EXPECT_EQ(ControlsSnapshot(*form_, {"Edit18"}), before);
}

TEST_F(EditTest, Edit17ThenButton7AppliesTheTypedValueToAllChannels) {
    TypeText(W<QLineEdit>("Edit17"), "5000000");

    Click(W<QPushButton>("Button7"));

    EXPECT_EQ(form_->Settings.FreqNC0, 5000000.0f);  // taken by the focus loss before the click
    for (int c = 0; c < kDdcChannels; ++c) {
        EXPECT_EQ(form_->Settings.FrequencyNCO[c], 5000000.0f) << "channel " << c;
        EXPECT_EQ(W<QLineEdit>(QStringLiteral("Edit%1").arg(c + 1))->text(), "5000000");
    }
}

TEST_F(EditTest, Edit17ThenButton8AppliesToTheTickedChannels) {
    Click(W<QCheckBox>("CheckBox69"));  // channel 0 unselected: 1 to 7 remain
    ASSERT_EQ(form_->Settings.MaskSelFreqNCO, 0xFE);
    TypeText(W<QLineEdit>("Edit17"), "7000000");

    Click(W<QPushButton>("Button8"));

    EXPECT_EQ(form_->Settings.FreqNC0, 7000000.0f);
    for (int c = 0; c < kDdcChannels; ++c) {
        const float expected = (c >= 1 && c <= 7) ? 7000000.0f : 10700000.0f + c;
        EXPECT_EQ(form_->Settings.FrequencyNCO[c], expected) << "channel " << c;
    }
}

TEST_F(EditTest, BadCommonFrequencyBlocksEveryHarvestUntilCorrected) {
    const QString message = "'abc' is not a valid floating point value.";
    auto* edit = W<QLineEdit>("Edit17");
    auto* dither = W<QCheckBox>("CheckBox85");

    TypeThenEnter(edit, "abc");
    EXPECT_EQ(TakeMessages(), QStringList{message});
    EXPECT_EQ(form_->Settings.FreqNC0, 10700000.0f);
    EXPECT_EQ(edit->text(), "abc");

    // The box changed from the program raises its handler like a click: the harvest stops.
    dither->setChecked(false);
    QCoreApplication::processEvents();
    EXPECT_EQ(TakeMessages(), QStringList{message});
    EXPECT_EQ(form_->Settings.Dither, 1);

    Click(dither);
    const QStringList shown = TakeMessages();
    EXPECT_THAT(shown, Not(IsEmpty()));
    EXPECT_THAT(shown, Each(Eq(message)));
    EXPECT_EQ(form_->Settings.Dither, 1);
    EXPECT_EQ(form_->Settings.SamplesPerChannel, 1024);

    // Corrected, the harvest runs whole again and the window shows what it stored.
    TypeThenEnter(edit, "6000000");
    EXPECT_EQ(TakeMessages(), QStringList());
    EXPECT_EQ(form_->Settings.FreqNC0, 6000000.0f);
    const int32_t ditherNow = form_->Settings.Dither;
    EXPECT_EQ(dither->isChecked(), ditherNow != 0);

    Click(dither);
    EXPECT_EQ(form_->Settings.Dither, 1 - ditherNow);
}

TEST_F(EditTest, BadThresholdLetsTheHarvestTakeOnlyTheFieldsBeforeIt) {
    const QString message = "'x1' is not a valid floating point value.";
    TypeThenEnter(W<QLineEdit>("Edit24"), "x1");
    EXPECT_EQ(TakeMessages(), QStringList{message});

    W<QCheckBox>("CheckBox85")->setChecked(false);
    QCoreApplication::processEvents();
    EXPECT_EQ(TakeMessages(), QStringList{message});
    EXPECT_EQ(form_->Settings.Dither, 0);  // read before the threshold
    EXPECT_EQ(form_->Settings.ComparatorThresholdSDX, 1.0f);

    // The refused field holds the window, so the next harvest is raised from the program.
    W<QComboBox>("ComboBox6")->setCurrentIndex(2);
    W<QCheckBox>("CheckBox85")->setChecked(true);
    QCoreApplication::processEvents();
    EXPECT_EQ(TakeMessages(), QStringList{message});
    EXPECT_EQ(form_->Settings.SamplesPerChannel, 1024);  // read after the threshold

    TypeThenEnter(W<QLineEdit>("Edit24"), Num("-2.5"));
    EXPECT_EQ(TakeMessages(), QStringList());
    EXPECT_EQ(form_->Settings.ComparatorThresholdSDX, -2.5f);
    EXPECT_EQ(form_->Settings.SamplesPerChannel, 4096);
}

TEST_F(EditTest, BadFrequencyInAnNcoEditKeepsTheChannel) {
    TypeThenEnter(W<QLineEdit>("Edit3"), "12MHz");
    EXPECT_EQ(TakeMessages(), QStringList{"'12MHz' is not a valid floating point value."});
    EXPECT_EQ(form_->Settings.FrequencyNCO[2], 10700002.0f);
}

class BadIntegerTest : public EditTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(BadIntegerTest, RefusedAndTheRecordingSizeStays) {
    const QString typed = QString::fromLatin1(GetParam());
    TypeThenEnter(W<QLineEdit>("Edit19"), typed);

    EXPECT_EQ(TakeMessages(),
              QStringList{QStringLiteral("'%1' is not a valid integer value.").arg(typed)});
    EXPECT_EQ(form_->Settings.DirSamplesPerChannel, 65536);
    EXPECT_EQ(W<QLineEdit>("Edit25")->text(), "65536");

    TypeThenEnter(W<QLineEdit>("Edit19"), "1000");
    EXPECT_EQ(TakeMessages(), QStringList());
    EXPECT_EQ(form_->Settings.DirSamplesPerChannel, 1000);
    // 16 channels of 8 bytes, 1000 samples: one 4096 KB buffer holds 32768 samples a channel.
    EXPECT_EQ(W<QLineEdit>("Edit25")->text(), "32768");
    EXPECT_EQ(W<QLineEdit>("Edit20")->text(), "4096");
}

INSTANTIATE_TEST_SUITE_P(Window, BadIntegerTest,
                         ::testing::Values("12x", "1.5", "99999999999", "", "- 5"),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(EditTest, FileNameEditsStoreTheirText) {
    TypeThenEnter(W<QLineEdit>("Edit21"), "rec2.bin");
    EXPECT_EQ(form_->Settings.DirFileName, "rec2.bin");

    TypeThenLeave(W<QLineEdit>("Edit22"), "PRG\\x.prg", W<QLineEdit>("Edit21"));
    EXPECT_EQ(form_->Settings.DDCProgramFile, "PRG\\x.prg");
    EXPECT_EQ(W<QLineEdit>("Edit22")->text(), "PRG\\x.prg");
}

TEST_F(EditTest, TypedTextIsNotTakenWhenAnotherWindowIsActivated) {
    TypeText(W<QLineEdit>("Edit21"), "typed.bin");

    QWidget other;
    ActivateWindow(other);
    EXPECT_EQ(form_->Settings.DirFileName, "exam.bin");

    // Back in the window, leaving the field for another control takes it.
    ActivateWindow(*form_);
    W<QLineEdit>("Edit21")->setFocus(Qt::ActiveWindowFocusReason);
    W<QLineEdit>("Edit19")->setFocus(Qt::MouseFocusReason);
    QCoreApplication::processEvents();
    EXPECT_EQ(form_->Settings.DirFileName, "typed.bin");
}

TEST_F(EditTest, ClosingSavesStdCfgWithoutTheUnconfirmedText) {
    TypeText(W<QLineEdit>("Edit21"), "typed.bin");

    form_->close();

    const QByteArray saved = ReadBytes(Path("std.cfg"));
    EXPECT_TRUE(saved.contains("\r\nDirFileName= exam.bin\r\n")) << saved.toStdString();
}

TEST_F(EditTest, EnterIsStillPassedOnToTheEdit) {
    int returns = 0;
    QObject::connect(W<QLineEdit>("Edit21"), &QLineEdit::returnPressed, [&returns] { ++returns; });

    TypeThenEnter(W<QLineEdit>("Edit21"), "rec3.bin");

    EXPECT_EQ(form_->Settings.DirFileName, "rec3.bin");
    EXPECT_EQ(returns, 1);
}

// The tests above rely on the platform plugin delivering focus changes like a desktop does.
TEST(FocusHarness, FocusLossArrivesBeforeTheClickOnTheButton) {
    QWidget window;
    auto* edit = new QLineEdit(&window);
    auto* button = new QPushButton("go", &window);
    button->move(0, 40);
    QStringList events;
    QObject::connect(button, &QPushButton::clicked, [&events] { events << "click"; });
    struct FocusWatch : QObject {
        QStringList* events;
        explicit FocusWatch(QStringList* e) : events(e) {}
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::FocusOut) {
                *events << QStringLiteral("focus out %1")
                               .arg(static_cast<QFocusEvent*>(event)->reason());
            }
            return false;
        }
    } watch(&events);
    edit->installEventFilter(&watch);
    ActivateWindow(window);

    TypeText(edit, "1");
    Click(button);

    EXPECT_EQ(events,
              (QStringList{QStringLiteral("focus out %1").arg(Qt::MouseFocusReason), "click"}));
}

}  // namespace
