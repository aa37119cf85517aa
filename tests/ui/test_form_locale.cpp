// The window as a Russian desktop runs it: numbers in the locale's spelling, names in the code page
// of the files, fields that were only looked at giving back exactly what they hold, and Qt's own
// dialogs in the desktop's language. The suite runs under C.UTF-8 and ru_RU.UTF-8.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTranslator>
#include <functional>

#include <gtest/gtest.h>

#include "core/settings.h"
#include "files/config_file.h"
#include "tests/ui/support_form.h"
#include "ui/translations.h"

namespace {

// "экз.bin" and "Ис.prg" as a Russian Windows system writes them (Windows-1251).
const std::string kCp1251Name = "\xfd\xea\xe7.bin";
const std::string kCp1251Program = "PRGFILES\\\xc8\xf1.prg";

// Settings whose display rounds them or whose names are not valid UTF-8.
void OddSettings(TSettings& s) {
    s.ComparatorThresholdSDX = 0.75f;
    s.FreqNC0 = 1234.25f;
    s.FrequencyNCO[3] = 1234.75f;
    s.FrequencyNCO[15] = 0.5f;
    s.ClockSource = 1;
    s.ExternalClockValue = 12345678901.25;
    s.DirFileName = kCp1251Name;
    s.DDCProgramFile = kCp1251Program;
}

// Types any text, Cyrillic too, one character at a time, then presses Enter.
void TypeUnicodeThenEnter(QLineEdit* edit, const QString& text) {
    edit->setFocus(Qt::MouseFocusReason);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    QTest::keyClick(edit, Qt::Key_Return);
}

class LocaleTest : public FormTest {
  protected:
    // Writes std.cfg from `settings` and gives its bytes: what closing must write again.
    QByteArray SaveStartupConfig(const std::function<void(TSettings&)>& settings) {
        TSettings record;
        settings(record);
        EXPECT_TRUE(WriteConfig(TSettings::StartupConfigName, record));
        return ReadBytes(Path("std.cfg"));
    }
    std::vector<QLineEdit*> EditableFields() {
        std::vector<QLineEdit*> edits;
        for (int n :
             {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 21, 22, 24}) {
            edits.push_back(W<QLineEdit>(QStringLiteral("Edit%1").arg(n)));
        }
        return edits;
    }
};

TEST_F(LocaleTest, ClickingAndEnteringThroughEveryFieldChangesNoByteOfStdCfg) {
    const QByteArray original = SaveStartupConfig(OddSettings);
    ShowForm();
    for (QLineEdit* edit : EditableFields()) {
        SCOPED_TRACE(edit->objectName().toStdString());
        QTest::mouseClick(edit, Qt::LeftButton);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    Click(W<QCheckBox>("CheckBox85"));  // a harvest of every field it reads
    Click(W<QCheckBox>("CheckBox85"));
    form_->close();
    EXPECT_EQ(ReadBytes(Path("std.cfg")), original);
}

TEST_F(LocaleTest, ALookedAtThresholdSurvivesAHarvest) {
    ShowForm();
    form_->Settings.ComparatorThresholdSDX = 0.75f;  // as a set from a script or an undo gives it
    form_->UpdateAndRefresh();
    EXPECT_EQ(W<QLineEdit>("Edit24")->text(), Num("0.8"));
    Click(W<QCheckBox>("CheckBox85"));
    EXPECT_EQ(form_->Settings.ComparatorThresholdSDX, 0.75f);
    TypeThenEnter(W<QLineEdit>("Edit24"), Num("0.8"));  // the same text typed again: still looking
    EXPECT_EQ(form_->Settings.ComparatorThresholdSDX, 0.75f);
    TypeThenEnter(W<QLineEdit>("Edit24"), Num("0.7"));
    EXPECT_EQ(form_->Settings.ComparatorThresholdSDX, 0.7f);
}

// Typed in the locale's spelling and confirmed with Enter, each number field stores the value and
// shows it back in the same spelling.
struct RoundTrip {
    const char* edit;
    const char* typed;  // with a point: typed with the locale's separator
    std::function<double()> stored;
    double expected;
    const char* shown;
};

TEST_F(LocaleTest, EveryNumberFieldRoundTripsThroughEnter) {
    ShowForm();
    Click(W<QCheckBox>("CheckBox85"));  // any harvest first: the defaults stay as they are
    // clang-format off
    const RoundTrip cases[] = {
        {"Edit1",  "10700000",     [this] { return form_->Settings.FrequencyNCO[0]; },  10700000,  "10700000"},
        {"Edit9",  "2.5",          [this] { return form_->Settings.FrequencyNCO[8]; },  2.5,       "3"},
        {"Edit16", "1.5E6",        [this] { return form_->Settings.FrequencyNCO[15]; }, 1.5e6,     "1500000"},
        {"Edit17", "7000000.4",    [this] { return form_->Settings.FreqNC0; },          7000000.4, "7000001"},
        {"Edit24", "-1.25",        [this] { return form_->Settings.ComparatorThresholdSDX; }, -1.25, "-1.3"},
        {"Edit19", "1000",         [this] { return form_->Settings.DirSamplesPerChannel; }, 1000,  "1000"},
    };
    // clang-format on
    for (const RoundTrip& c : cases) {
        SCOPED_TRACE(c.edit);
        TypeThenEnter(W<QLineEdit>(c.edit), Num(c.typed));
        EXPECT_EQ(c.stored(), static_cast<double>(static_cast<float>(c.expected)));
        EXPECT_EQ(W<QLineEdit>(c.edit)->text(), Num(c.shown));
    }
    // The clock edit is not redrawn: it keeps the typed spelling.
    ChooseComboItem(W<QComboBox>("ComboBox1"), 1);
    TypeThenEnter(W<QLineEdit>("Edit18"), Num("12345678901.5"));
    EXPECT_EQ(form_->Settings.ExternalClockValue, 12345678901.5);
    form_->UpdateAndRefresh();
    EXPECT_EQ(W<QLineEdit>("Edit18")->text(), Num("1.23456789E10"));
    EXPECT_EQ(TakeMessages(), QStringList());
}

TEST_F(LocaleTest, Windows1251NamesShowAsWrittenAndAreEditedInTheirCodePage) {
    SaveStartupConfig(OddSettings);
    ShowForm();
    EXPECT_EQ(W<QLineEdit>("Edit21")->text(), QString::fromUtf8("экз.bin"));
    EXPECT_EQ(W<QLineEdit>("Edit22")->text(), QString::fromUtf8("PRGFILES\\Ис.prg"));

    TypeUnicodeThenEnter(W<QLineEdit>("Edit21"), QString::fromUtf8("экз2.bin"));
    EXPECT_EQ(form_->Settings.DirFileName,
              "\xfd\xea\xe7"
              "2.bin");
    // A character the code page has no byte for: the whole name goes in the locale's encoding.
    TypeUnicodeThenEnter(W<QLineEdit>("Edit21"), QString::fromUtf8("экз€—✓.bin"));
    EXPECT_EQ(form_->Settings.DirFileName, "экз€—✓.bin");
    // Edited, a Windows-1251 name stays in its code page; a name valid in the locale's encoding
    // stays in that.
    TypeUnicodeThenEnter(W<QLineEdit>("Edit22"), QString::fromUtf8("Ис2.prg"));
    EXPECT_EQ(form_->Settings.DDCProgramFile,
              "\xc8\xf1"
              "2.prg");
    form_->Settings.DDCProgramFile = "данные.prg";
    form_->UpdateAndRefresh();
    TypeUnicodeThenEnter(W<QLineEdit>("Edit22"), QString::fromUtf8("данные2.prg"));
    EXPECT_EQ(form_->Settings.DDCProgramFile, "данные2.prg");
}

TEST(QtTranslations, StandardDialogsSpeakTheDesktopsLanguage) {
    const bool russian = QLocale().language() == QLocale::Russian;
    QTranslator* translator = LoadQtTranslations(*QCoreApplication::instance());
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    const QString cancel =
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->text();
    if (translator != nullptr) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    if (russian) {
        EXPECT_NE(translator, nullptr) << "Qt's Russian translations are not installed";
        EXPECT_EQ(cancel, QString::fromUtf8("Отмена"));
    } else {
        EXPECT_EQ(translator, nullptr);
        EXPECT_EQ(cancel, QStringLiteral("Cancel"));
    }
}

}  // namespace
