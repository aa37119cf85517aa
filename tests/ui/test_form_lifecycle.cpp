// Start-up, close and the error display: what the window reads when it is first shown, what it
// writes when it closes, and how a failure escaping a handler reaches the user.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "files/file_io.h"
#include "tests/ui/support_form.h"
#include "ui/error_display.h"
#include "ui/ugform.h"

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

class FormLifecycleTest : public FormTest {
  protected:
    std::vector<SeenMessageBox> Boxes() { return modals_->TakeMessageBoxes(); }
};

TEST_F(FormLifecycleTest, EmptyFolderShowsTheDefaultsAndClosingCreatesStdCfg) {
    ShowForm();
    // clang-format off
    const std::pair<const char*, QString> texts[] = {
        {"Edit1", "10700000"}, {"Edit16", "10700015"}, {"Edit17", "10700000"},
        {"Edit18", "100000000"}, {"Edit19", "65536"}, {"Edit20", "8192"},
        {"Edit21", "exam.bin"}, {"Edit22", "IsGsm.prg"}, {"Edit23", "std.cfg"},
        {"Edit24", Num("1.0")}, {"Edit25", "65536"},
    };
    const std::pair<const char*, int> items[] = {
        {"ComboBox1", 0}, {"ComboBox2", 1}, {"ComboBox3", 0},
        {"ComboBox4", 0}, {"ComboBox5", 0}, {"ComboBox6", 0},
    };
    // clang-format on
    for (const auto& [name, text] : texts) {
        EXPECT_EQ(W<QLineEdit>(name)->text(), text) << name;
    }
    for (const auto& [name, item] : items) {
        EXPECT_EQ(W<QComboBox>(name)->currentIndex(), item) << name;
    }
    EXPECT_FALSE(W<QLineEdit>("Edit18")->isEnabled());
    EXPECT_TRUE(W<QRadioButton>("RadioButton2")->isChecked());
    EXPECT_FALSE(W<QRadioButton>("RadioButton3")->isChecked());
    EXPECT_FALSE(W<QRadioButton>("RadioButton4")->isChecked());
    EXPECT_TRUE(W<QCheckBox>("CheckBox85")->isChecked());
    // AdcGainMask 0x5: ADCs 0 and 2 on 0.34 V.
    for (int j = 0; j < kAdcs; ++j) {
        EXPECT_EQ(form_->GainPairs[j].second->isChecked(), j % 2 == 0) << j;
        EXPECT_EQ(form_->GainPairs[j].first->isChecked(), j % 2 == 1) << j;
    }
    EXPECT_TRUE(MatrixBox(*form_, 5, 2)->isChecked());
    EXPECT_EQ(form_->Settings.EnabledDdcCount, 16);
    EXPECT_FALSE(form_->Updating);

    EXPECT_FALSE(QFile::exists(Path("std.cfg")));
    form_->close();
    const QByteArray saved = ReadBytes(Path("std.cfg"));
    EXPECT_TRUE(saved.startsWith("[Option]\r\n\r\nSamplesPerChannel= 1024\r\n")) << saved.data();
    EXPECT_TRUE(saved.contains("DDCChannelMask= 0xffff\r\n"));
}

TEST_F(FormLifecycleTest, StdCfgThenExamDdcIniAreReadBeforeTheFirstRefresh) {
    WriteBytes(Path("std.cfg"),
               "[Option]\r\nSamplesPerChannel= 2048\r\nEnableDDC= 1\r\nWorkMode= 0\r\n"
               "DirFileName= rec.bin\r\n \r\n[device0_tessaro0]\r\nClockSource= 0\r\n"
               "DDCChannelMask= 0x3\r\nDataFormat= 4\r\nFrequencyNCO0= 5000000.0\r\n"
               "DDCSyncMode= 2\r\nMasterMode= 2\r\nStartSource= 4\r\n");
    WriteBytes(Path("exam_ddc.ini"),
               "[Option]\r\nDirFileBufSize= 100\t\t;KB\r\nSamplesPerChannel= 8192\t\t;\r\n"
               "[device0_tessaro0]\r\nInternalClockValue= 50000000.0\t;Hz\r\n");
    ShowForm();
    EXPECT_EQ(W<QLineEdit>("Edit1")->text(), "5000000");
    EXPECT_EQ(W<QLineEdit>("Edit21")->text(), "rec.bin");
    EXPECT_EQ(W<QComboBox>("ComboBox6")->currentIndex(), 1);  // only std.cfg sets it
    EXPECT_EQ(W<QComboBox>("ComboBox2")->currentIndex(), 0);
    EXPECT_EQ(W<QComboBox>("ComboBox3")->currentIndex(), 1);
    EXPECT_EQ(W<QComboBox>("ComboBox4")->currentIndex(), 2);
    EXPECT_EQ(W<QComboBox>("ComboBox5")->currentIndex(), 2);
    EXPECT_TRUE(W<QRadioButton>("RadioButton4")->isChecked());
    EXPECT_EQ(W<QLineEdit>("Edit18")->text(), "50000000");
    // 2 channels x 8 bytes x 65536 samples in buffers of 100 KB: 11 buffers, computed after
    // both files were read.
    EXPECT_EQ(form_->Settings.DirFileBufSize, 100);
    EXPECT_EQ(W<QLineEdit>("Edit20")->text(), "1100");
    EXPECT_EQ(W<QLineEdit>("Edit25")->text(), "70400");
}

TEST_F(FormLifecycleTest, ExamDdcIniWithoutInternalClockValueShowsZero) {
    WriteBytes(Path("exam_ddc.ini"), "[Option]\r\nDirFileBufSize= 4096\r\n");
    ShowForm();
    EXPECT_EQ(form_->Settings.InternalClockValue, 0.0);
    EXPECT_EQ(W<QLineEdit>("Edit18")->text(), "0");
}

TEST_F(FormLifecycleTest, ShowingAgainDoesNotReloadTheFiles) {
    ShowForm();
    WriteBytes(Path("std.cfg"), "[Option]\r\nSamplesPerChannel= 4096\r\n");
    form_->hide();
    form_->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(form_->Settings.SamplesPerChannel, 1024);
}

// A std.cfg that is there but cannot be read (too large, no settings in it) leaves the defaults
// in the window; the start says so, and the close asks before putting them in its place.
struct UnreadConfig {
    const char* name;
    bool tooLarge;  // else a text file with no settings section
    const char* reason;
    std::vector<QMessageBox::StandardButton> answers;  // to the close's question, in turn
    bool replaced;                                     // std.cfg holds the defaults afterwards
    const char* elsewhere;                             // the file chosen instead, or null
};

class UnreadStdCfg : public FormLifecycleTest,
                     public ::testing::WithParamInterface<UnreadConfig> {};

TEST_P(UnreadStdCfg, IsToldAtStartAndNotReplacedUnasked) {
    const UnreadConfig& c = GetParam();
    QByteArray original = "notes about the run\r\n";
    if (c.tooLarge) {
        QFile file(Path("std.cfg"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(17 << 20));  // sparse
        file.close();
    } else {
        WriteBytes(Path("std.cfg"), original);
    }
    ShowForm();
    std::vector<SeenMessageBox> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.contains(U("Файл настроек std.cfg не считан")))
        << boxes[0].text.toStdString();
    EXPECT_TRUE(boxes[0].text.contains(QString::fromLatin1(c.reason)))
        << boxes[0].text.toStdString();
    EXPECT_EQ(W<QLineEdit>("Edit21")->text(), "exam.bin");  // the defaults

    for (const QMessageBox::StandardButton answer : c.answers)
        modals_->AnswerNextBox(answer);
    if (c.elsewhere)
        modals_->AcceptNextDialog("SaveDialog3", Path(c.elsewhere));
    else if (std::count(c.answers.begin(), c.answers.end(), QMessageBox::Save) > 0)
        modals_->CancelNextDialog("SaveDialog3");
    form_->close();
    // Cancel, the default, keeps the window open.
    EXPECT_EQ(form_->isVisible(), c.answers.back() == QMessageBox::Cancel);
    boxes = Boxes();
    ASSERT_EQ(boxes.size(), c.answers.size());
    for (const SeenMessageBox& box : boxes) {
        EXPECT_TRUE(box.text.contains(U("std.cfg при запуске считать не удалось")))
            << box.text.toStdString();
        EXPECT_EQ(box.informative, U("Заменить его настройками окна?"));
        EXPECT_EQ(box.buttons, QMessageBox::Yes | QMessageBox::Save | QMessageBox::Discard |
                                   QMessageBox::Cancel);
        EXPECT_EQ(box.defaultButton, QMessageBox::Cancel);
    }
    const QByteArray after = ReadBytes(Path("std.cfg"));
    if (c.replaced) {
        EXPECT_TRUE(after.startsWith("[Option]\r\n\r\nSamplesPerChannel= 1024\r\n"));
    } else if (c.tooLarge) {
        EXPECT_EQ(after.size(), 17 << 20);
    } else {
        EXPECT_EQ(after, original);
    }
    if (c.elsewhere) {
        EXPECT_TRUE(
            ReadBytes(Path(c.elsewhere)).startsWith("[Option]\r\n\r\nSamplesPerChannel= 1024"));
    }
    // Nothing else is written (the names sort so).
    EXPECT_EQ(QDir(Path(".")).entryList(QDir::Files),
              (c.elsewhere ? QStringList{c.elsewhere} : QStringList{}) + QStringList{"std.cfg"});
}

constexpr auto kReplace = QMessageBox::Yes;
constexpr auto kElsewhere = QMessageBox::Save;
constexpr auto kDontSave = QMessageBox::Discard;
constexpr auto kCancel = QMessageBox::Cancel;

INSTANTIATE_TEST_SUITE_P(
    Answers, UnreadStdCfg,
    ::testing::Values(
        UnreadConfig{"TooLargeReplaced", true, "file too large", {kReplace}, true, nullptr},
        UnreadConfig{
            "NoSettingsKept", false, "not a configuration file", {kDontSave}, false, nullptr},
        UnreadConfig{
            "TooLargeSavedElsewhere", true, "file too large", {kElsewhere}, false, "kept.cfg"},
        UnreadConfig{"CancelKeepsTheWindow", true, "file too large", {kCancel}, false, nullptr},
        UnreadConfig{"ElsewhereCancelledThenKept",
                     false,
                     "not a configuration file",
                     {kElsewhere, kDontSave},
                     false,
                     nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FormLifecycleTest, FailedSaveOnCloseIsReportedAndTheWindowClosesWhenTold) {
    ShowForm();
    MakeDir("std.cfg");  // a folder in the way: the file cannot be written
    modals_->AnswerNextBox(QMessageBox::Discard);  // close without saving
    form_->close();
    EXPECT_FALSE(form_->isVisible());
    const std::vector<SeenMessageBox> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.contains("std.cfg")) << boxes[0].text.toStdString();
    EXPECT_TRUE(boxes[0].text.contains(U("не сохранены"))) << boxes[0].text.toStdString();
}

// Written, but its folder's flush failed: the box says the settings were saved and what could not
// be confirmed, not that they were lost.
TEST_F(FormLifecycleTest, ASaveOnCloseNotWhollyConfirmedSaysItWasWritten) {
    ShowForm();
    files::SetWriteFaultForTesting({.failFlush = files::Flush::Folder});
    form_->close();
    files::SetWriteFaultForTesting({});
    EXPECT_TRUE(QFile::exists(Path("std.cfg")));
    const std::vector<SeenMessageBox> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.contains(U("Настройки сохранены, но")))
        << boxes[0].text.toStdString();
    EXPECT_TRUE(
        boxes[0].text.contains("\"std.cfg\" was written, but its folder could not be flushed"))
        << boxes[0].text.toStdString();
}

TEST_F(FormLifecycleTest, FailedIniWriteIsReportedAndChangesNothing) {
    ShowForm();
    MakeDir("exam_ddc.ini");
    const QString before = ControlsSnapshot(*form_);
    Click(W<QPushButton>("Button9"));
    const std::vector<SeenMessageBox> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.contains("exam_ddc.ini")) << boxes[0].text.toStdString();
    EXPECT_EQ(ControlsSnapshot(*form_), before);
}

// ----- the error display -----

struct DisplayCase {
    const char* message;
    const char* shown;
};

// clang-format off
const DisplayCase kDisplayCases[] = {
    {"'abc' is not a valid integer value", "'abc' is not a valid integer value."},
    {"",                                   ""},
    {"Done.",                              "Done."},
    {"Stop!",                              "Stop!"},   // '!' comes before '.'
    {"range -",                            "range -"}, // so does '-'
    {"path a/",                            "path a/."},
    {"Файл не найден",                     "Файл не найден."},
};
// clang-format on

TEST(ErrorDisplayText, FullStopOnlyAfterACharacterAboveThePoint) {
    for (const DisplayCase& c : kDisplayCases) {
        EXPECT_EQ(ErrorDisplayText(U(c.message)), U(c.shown)) << c.message;
    }
}

TEST_F(FormLifecycleTest, RefusedNumberIsShownInACriticalBoxAndTheWindowGoesOn) {
    ShowForm();
    W<QLineEdit>("Edit17")->setText("12x");
    Click(W<QPushButton>("Button7"));
    const std::vector<SeenMessageBox> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "'12x' is not a valid floating point value.");
    EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes[0].title, "");
    EXPECT_EQ(boxes[0].buttons, QMessageBox::Ok);
    EXPECT_FALSE(form_->Updating);
    EXPECT_EQ(form_->Settings.FrequencyNCO[3], 10700003.0f);
    // The window still answers.
    Click(W<QPushButton>("Button6"));
    EXPECT_EQ(form_->Settings.DDCChannelMask, 1);
    EXPECT_FALSE(MatrixBox(*form_, 1, 1)->isChecked());
}

TEST_F(FormLifecycleTest, RefusedNumberOnEnterIsShownAndTheKeyStillReachesTheEdit) {
    ShowForm();
    TypeThenEnter(W<QLineEdit>("Edit19"), "zz");
    const std::vector<SeenMessageBox> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "'zz' is not a valid integer value.");
    EXPECT_EQ(W<QLineEdit>("Edit19")->text(), "zz");
    EXPECT_EQ(form_->Settings.DirSamplesPerChannel, 65536);
}

TEST_F(FormLifecycleTest, RefusedEditKeepsTheFocusAndTheClickThatTookItIsDropped) {
    ShowForm();
    auto* edit17 = W<QLineEdit>("Edit17");
    auto* dither = W<QCheckBox>("CheckBox85");
    TypeText(edit17, "abc");
    Click(dither);
    QCoreApplication::processEvents();
    // One box for the refused text, and the dither box untouched.
    ASSERT_EQ(TakeMessages(), QStringList{"'abc' is not a valid floating point value."});
    EXPECT_TRUE(dither->isChecked());
    EXPECT_EQ(form_->Settings.Dither, 1);
    EXPECT_EQ(form_->focusWidget(), edit17);
    // The offscreen platform does not hand the activation back after a box, as a desktop does.
    ActivateWindow(*form_);
    EXPECT_TRUE(edit17->hasFocus());
    // Corrected, the edit lets the focus go and the next click acts.
    TypeText(edit17, "5");
    Click(dither);
    EXPECT_EQ(TakeMessages(), QStringList());
    EXPECT_EQ(form_->Settings.FreqNC0, 5.0f);
    EXPECT_EQ(form_->Settings.Dither, 0);
    EXPECT_FALSE(dither->isChecked());
}

TEST_F(FormLifecycleTest, LocaleChangeSwitchesTheSeparatorOfTheShownNumbers) {
    ShowForm();
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QEvent change(QEvent::LocaleChange);
    QApplication::sendEvent(form_.get(), &change);
    EXPECT_EQ(form_->DecimalSeparator(), ',');
    EXPECT_EQ(W<QLineEdit>("Edit24")->text(), "1,0");
    TypeThenEnter(W<QLineEdit>("Edit24"), "1,26");
    EXPECT_EQ(form_->Settings.ComparatorThresholdSDX, 1.26f);
    EXPECT_EQ(W<QLineEdit>("Edit24")->text(), "1,3");
}

}  // namespace
