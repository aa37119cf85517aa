// The window says what is so at every moment: findings and the unwritten mark after every
// handler, questions before a write with errors and before a close that would lose something,
// files changed behind its back, scrolling that changes no setting, numbers with either separator.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include "files/config_file.h"
#include "tests/ui/support_form.h"

namespace {

class TruthTest : public FormTest {
  protected:
    QStringList Findings() {
        QStringList texts;
        auto* list = W<QListWidget>("FindingsList");
        for (int i = 0; i < list->count(); ++i) {
            texts << list->item(i)->text();
        }
        return texts;
    }
    bool HasFinding(const char* part) {
        return Findings().join(u'\n').contains(QString::fromUtf8(part));
    }
    bool Pending() { return !W<QWidget>("IniPending")->isHidden(); }
    QString Status() { return W<QLabel>("IniStatus")->text(); }
    QScrollBar* PageScrollBar() { return W<QScrollArea>("PageScrollArea")->verticalScrollBar(); }
    // A window shorter than its page, so that the page scrolls.
    void MakeShort() {
        form_->setMinimumHeight(0);
        form_->resize(form_->width(), 360);
        QCoreApplication::processEvents();
        ASSERT_GT(PageScrollBar()->maximum(), 0);
    }
    // One notch of the wheel down, delivered to `target` as the window system delivers it.
    static void WheelDown(QWidget* target) {
        const QPointF at(target->width() / 2.0, target->height() / 2.0);
        QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(target, &wheel);
        QCoreApplication::processEvents();
    }
    // The configuration file as the window writes it, less the lines of `dropped` keys.
    static QByteArray ConfigWithout(const TSettings& settings, const QStringList& dropped) {
        QByteArray text;
        for (const QByteArray& line : QByteArray::fromStdString(ConfigText(settings)).split('\n')) {
            if (line.isEmpty()) {
                continue;
            }
            const QByteArray key = line.left(line.indexOf('=')).trimmed();
            if (!dropped.contains(QString::fromLatin1(key))) {
                text += line + '\n';
            }
        }
        return text;
    }
};

// ----- The clock value: its handler redraws nothing, but the findings and the mark follow -----

TEST_F(TruthTest, ClockValueUpdatesFindingsAndMarkAndATypedBackValueIsTaken) {
    ShowForm();
    ChooseComboItem(W<QComboBox>("ComboBox1"), 1);  // the external clock, 110 MHz
    auto* clock = W<QLineEdit>("Edit18");
    ASSERT_FALSE(HasFinding("вне диапазона"));

    TypeThenEnter(clock, "20000000");  // NCOs at 10.7 MHz: beyond half the clock
    EXPECT_EQ(form_->Settings.ExternalClockValue, 20000000.0);
    EXPECT_TRUE(HasFinding("вне диапазона")) << Findings().join(u'\n').toStdString();

    TypeThenEnter(clock, "110000000");  // the text the field showed before 20 MHz was taken
    EXPECT_EQ(form_->Settings.ExternalClockValue, 110000000.0);
    EXPECT_FALSE(HasFinding("вне диапазона"));

    Click(W<QPushButton>("Button9"));
    EXPECT_FALSE(Pending());
    TypeThenLeave(clock, "120000000", W<QLineEdit>("Edit19"));
    EXPECT_TRUE(Pending());
    EXPECT_EQ(Status(), QString());  // the line about the last write goes with the mark's return
}

// ----- Writing exam_ddc.ini with errors asks first; Cancel is the default -----

struct ErrorCase {
    const char* name;
    void (*make)(TSettings&);
    const char* listed;  // part of the error's words in the question
};
const ErrorCase kErrorCases[] = {
    {"no channel", [](TSettings& s) { s.DDCChannelMask = 0; }, "Не включён ни один канал"},
    {"no buffers", [](TSettings& s) { s.DirSamplesPerChannel = 0; }, "Запрошено 0 отсчётов"},
    {"offered by no item", [](TSettings& s) { s.MasterMode = 7; }, "Мастер режим"},
};

TEST_F(TruthTest, WriteWithAnErrorAsksListingItAndCancelWritesNothing) {
    for (const ErrorCase& c : kErrorCases) {
        SCOPED_TRACE(c.name);
        QFile::remove(Path("exam_ddc.ini"));
        ShowForm();
        c.make(form_->Settings);
        form_->Refresh();

        modals_->AnswerNextBox(QMessageBox::Cancel);
        Click(W<QPushButton>("Button9"));
        std::vector<SeenMessageBox> boxes = modals_->TakeMessageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_TRUE(boxes[0].text.contains(QString::fromUtf8(c.listed)))
            << boxes[0].text.toStdString();
        EXPECT_EQ(boxes[0].defaultButton, QMessageBox::Cancel);
        EXPECT_FALSE(QFile::exists(Path("exam_ddc.ini")));

        Click(W<QPushButton>("Button9"));  // answered Yes
        EXPECT_EQ(modals_->TakeMessageBoxes().size(), 1u);
        EXPECT_TRUE(QFile::exists(Path("exam_ddc.ini")));
    }
    // Warnings alone ask nothing.
    QFile::remove(Path("exam_ddc.ini"));
    ShowForm();
    Click(W<QPushButton>("Button9"));
    EXPECT_TRUE(QFile::exists(Path("exam_ddc.ini")));
}

// ----- Closing: silent in the ordinary case; asked where saving would lose something -----

struct CloseCase {
    const char* name;
    enum { Ordinary, ChangedOnDisk, SaveFails } situation;
    QMessageBox::StandardButton answer;  // NoButton: no question expected
    bool closes;
    enum { Window, Outside, Unchanged, SavedAs } fileHolds;
};
const CloseCase kCloseCases[] = {
    {"ordinary", CloseCase::Ordinary, QMessageBox::NoButton, true, CloseCase::Window},
    {"changed: overwrite", CloseCase::ChangedOnDisk, QMessageBox::Save, true, CloseCase::Window},
    {"changed: keep the file", CloseCase::ChangedOnDisk, QMessageBox::Discard, true,
     CloseCase::Outside},
    {"changed: cancel", CloseCase::ChangedOnDisk, QMessageBox::Cancel, false, CloseCase::Outside},
    {"fails: close anyway", CloseCase::SaveFails, QMessageBox::Discard, true, CloseCase::Unchanged},
    {"fails: cancel", CloseCase::SaveFails, QMessageBox::Cancel, false, CloseCase::Unchanged},
    {"fails: save as", CloseCase::SaveFails, QMessageBox::Save, true, CloseCase::SavedAs},
    {"fails: retry", CloseCase::SaveFails, QMessageBox::Retry, true, CloseCase::Window},
};

TEST_F(TruthTest, CloseAsksOnlyWhereSavingWouldLoseSomething) {
    for (const CloseCase& c : kCloseCases) {
        SCOPED_TRACE(c.name);
        QDir(Path("std.cfg")).removeRecursively();
        QFile::remove(Path("std.cfg"));
        QFile::remove(Path("elsewhere.cfg"));
        ShowForm();
        Click(W<QPushButton>("Button6"));  // a change of the window's own
        const QByteArray window = QByteArray::fromStdString(ConfigText(form_->Settings));
        const QByteArray outside = "[Option]\r\nDither= 0\r\n";
        if (c.situation == CloseCase::ChangedOnDisk) {
            WriteBytes(Path("std.cfg"), outside);
        }
        if (c.situation == CloseCase::SaveFails) {
            MakeDir("std.cfg");  // a folder in the file's place: the save cannot replace it
        }
        if (c.answer != QMessageBox::NoButton) {
            modals_->AnswerNextBox(c.answer);
        }
        if (c.answer == QMessageBox::Save && c.situation == CloseCase::SaveFails) {
            modals_->AcceptNextDialog("SaveDialog3", Path("elsewhere.cfg"));
        }
        if (c.answer == QMessageBox::Retry) {
            // The folder is gone by the time Retry is pressed.
            QTimer::singleShot(0, [this] { QDir(Path("std.cfg")).removeRecursively(); });
        }

        EXPECT_EQ(form_->close(), c.closes);
        const std::vector<SeenMessageBox> boxes = modals_->TakeMessageBoxes();
        EXPECT_EQ(boxes.size(), c.answer == QMessageBox::NoButton ? 0u : 1u);
        for (const SeenMessageBox& box : boxes) {
            EXPECT_EQ(box.defaultButton, QMessageBox::Cancel);
        }
        modals_->TakeFileDialogs();
        switch (c.fileHolds) {
            case CloseCase::Window:
                EXPECT_EQ(ReadBytes(Path("std.cfg")), window);
                break;
            case CloseCase::Outside:
                EXPECT_EQ(ReadBytes(Path("std.cfg")), outside);
                break;
            case CloseCase::Unchanged:
                EXPECT_TRUE(QFileInfo(Path("std.cfg")).isDir());
                break;
            case CloseCase::SavedAs:
                EXPECT_EQ(ReadBytes(Path("elsewhere.cfg")), window);
                break;
        }
        form_.reset();
    }
}

// Settings that exam_ddc.ini does not hold ask nothing on close: the mark said so.
TEST_F(TruthTest, CloseWithUnwrittenSettingsAsksNothing) {
    ShowForm();
    EXPECT_TRUE(Pending());
    EXPECT_TRUE(form_->close());
    EXPECT_TRUE(QFile::exists(Path("std.cfg")));
}

// ----- The wheel: a list field takes it only with the focus; a held window still scrolls -----

TEST_F(TruthTest, WheelOverAnUnfocusedListScrollsThePage) {
    const char* const combos[] = {"ComboBox1", "ComboBox2", "ComboBox5", "ComboBox6"};
    ShowForm();
    MakeShort();
    for (const char* name : combos) {
        SCOPED_TRACE(name);
        PageScrollBar()->setValue(0);
        const TSettings before = form_->Settings;
        auto* combo = W<QComboBox>(name);
        W<QLineEdit>("Edit17")->setFocus();
        WheelDown(combo);
        EXPECT_TRUE(form_->Settings == before);
        EXPECT_GT(PageScrollBar()->value(), 0);
        EXPECT_FALSE(combo->hasFocus());
    }
    // With the focus, the wheel is the list's.
    auto* start = W<QComboBox>("ComboBox5");
    start->setFocus();
    WheelDown(start);
    EXPECT_EQ(form_->Settings.StartSource, 2);
}

TEST_F(TruthTest, RefusedEditHoldsTheWindowButScrollingGoesThrough) {
    ShowForm();
    MakeShort();
    PageScrollBar()->setValue(0);
    TypeThenLeave(W<QLineEdit>("Edit17"), "abc", W<QLineEdit>("Edit19"));
    EXPECT_EQ(TakeMessages().size(), 1);
    QCoreApplication::processEvents();

    WheelDown(W<QScrollArea>("PageScrollArea")->viewport());
    EXPECT_GT(PageScrollBar()->value(), 0);

    const int before = PageScrollBar()->value();
    QScrollBar* bar = PageScrollBar();
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier,
                      QPoint(bar->width() / 2, bar->height() - bar->width() - 4));
    EXPECT_GT(PageScrollBar()->value(), before);
    // Scrolling moved nothing else: the refused field keeps the focus and its text.
    EXPECT_TRUE(W<QLineEdit>("Edit17")->hasFocus());
    EXPECT_EQ(W<QLineEdit>("Edit17")->text(), "abc");
}

// ----- A configuration that lacks keys says so until another is read -----

TEST_F(TruthTest, MissingConfigKeysAreAFindingUntilAnotherConfigurationIsRead) {
    WriteBytes(Path("std.cfg"), ConfigWithout(TSettings{}, {"Dither", "MasterMode"}));
    ShowForm();
    EXPECT_TRUE(HasFinding("В файле конфигурации std.cfg нет ключей: Dither, MasterMode"))
        << Findings().join(u'\n').toStdString();
    EXPECT_EQ(form_->Settings.Dither, 0);
    Click(W<QPushButton>("Button6"));
    EXPECT_TRUE(HasFinding("нет ключей: Dither, MasterMode"));

    MakeDir("MODSET");
    WriteBytes(Path("MODSET/full.cfg"), QByteArray::fromStdString(ConfigText(TSettings{})));
    WriteBytes(Path("MODSET/part.cfg"), ConfigWithout(TSettings{}, {"WorkMode"}));
    modals_->AcceptNextDialog("OpenDialog1", Path("MODSET/full.cfg"));
    Click(W<QPushButton>("Button12"));
    EXPECT_FALSE(HasFinding("нет ключей"));
    modals_->AcceptNextDialog("OpenDialog1", Path("MODSET/part.cfg"));
    Click(W<QPushButton>("Button12"));
    EXPECT_TRUE(HasFinding("В файле конфигурации part.cfg нет ключей: WorkMode"));
    modals_->TakeFileDialogs();
}

// ----- Copies of sections and keys in exam_ddc.ini -----

TEST_F(TruthTest, DuplicatesInTheInitializationFileAreNamed) {
    WriteBytes(Path("exam_ddc.ini"),
               Fixture("exam_ddc_in.ini") + "\r\n[Option]\r\nDither= 0\r\n[device0_tessaro0]\r\n");
    ShowForm();
    EXPECT_TRUE(HasFinding("В файле exam_ddc.ini повторяются: [Option], [device0_tessaro0]"))
        << Findings().join(u'\n').toStdString();
    WriteBytes(Path("exam_ddc.ini"), Fixture("exam_ddc_in.ini"));
    QTest::keyClick(form_.get(), Qt::Key_F5);
    EXPECT_FALSE(HasFinding("повторяются"));
}

// ----- Numbers with either separator -----

TEST_F(TruthTest, RealFieldsTakeEitherSeparator) {
    const char* const texts[] = {"10.7e6", "10,7e6", " 10700000,0 ", "10700000."};
    ShowForm();
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        form_->Settings.FrequencyNCO[3] = 1.0f;
        form_->Refresh();
        TypeThenEnter(W<QLineEdit>("Edit4"), QString::fromLatin1(text));
        EXPECT_EQ(form_->Settings.FrequencyNCO[3], 10700000.0f);
        TypeThenEnter(W<QLineEdit>("Edit17"), QString::fromLatin1(text));
        EXPECT_EQ(form_->Settings.FreqNC0, 10700000.0f);
    }
    EXPECT_EQ(TakeMessages(), QStringList());
}

// ----- Files changed on disk while the window is open -----

TEST_F(TruthTest, ChangesOnDiskShowWithoutAsking) {
    WriteBytes(Path("exam_ddc.ini"), Fixture("exam_ddc_in.ini"));
    ShowForm();
    Click(W<QPushButton>("Button9"));
    TakeMessages();
    ASSERT_FALSE(Pending());

    // A hand edit of the file: the mark at once, the program's own values read again.
    QByteArray ini = ReadBytes(Path("exam_ddc.ini"));
    ini.replace("Dither= 1", "Dither= 0");
    ini.replace("InternalClockValue=", "InternalClockValue= 90000000\r\n;was ");
    WriteBytes(Path("exam_ddc.ini"), ini);
    QTRY_VERIFY_WITH_TIMEOUT(Pending(), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(form_->Settings.InternalClockValue, 90000000.0, 5000);

    // std.cfg changed from outside: said, and read again on request.
    TSettings outside;
    outside.MasterMode = 2;
    WriteBytes(Path("std.cfg"), QByteArray::fromStdString(ConfigText(outside)));
    QTRY_VERIFY_WITH_TIMEOUT(!W<QWidget>("ConfigChangedBar")->isHidden(), 5000);
    Click(W<QPushButton>("ReloadConfigButton"));
    EXPECT_EQ(form_->Settings.MasterMode, 2);
    EXPECT_TRUE(W<QWidget>("ConfigChangedBar")->isHidden());
    // What was read is what closing would find: no question.
    EXPECT_TRUE(form_->close());
    EXPECT_EQ(TakeMessages(), QStringList());
}

// ----- Small things -----

TEST_F(TruthTest, FindingsNameFoldersByTheirFullPath) {
    ShowForm();
    form_->Settings.DirFileName = "nofolder\\exam.bin";
    form_->Refresh();
    const QString full = QDir(scratch_.path()).absoluteFilePath("nofolder");
    EXPECT_TRUE(Findings().join(u'\n').contains(QString::fromUtf8("Папки «%1»").arg(full)))
        << Findings().join(u'\n').toStdString();
}

TEST_F(TruthTest, TheWindowComesBackWhereItWasLeft) {
    const QString store = Path("place.ini");
    ShowForm();
    form_->RememberPlaceIn(std::make_unique<QSettings>(store, QSettings::IniFormat));
    form_->move(40, 30);
    form_->resize(form_->width(), 500);
    QCoreApplication::processEvents();
    const QRect left = form_->geometry();
    ASSERT_TRUE(form_->close());
    form_.reset();

    TGForm again;
    again.RememberPlaceIn(std::make_unique<QSettings>(store, QSettings::IniFormat));
    EXPECT_EQ(again.geometry(), left);

    // A place kept from a taller screen is cut to this one's height, caption included.
    const QRect screen = again.screen()->availableGeometry();
    again.resize(again.width(), screen.height() + 100);
    ASSERT_TRUE(again.close());
    TGForm third;
    third.RememberPlaceIn(std::make_unique<QSettings>(store, QSettings::IniFormat));
    third.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(screen.contains(third.frameGeometry())) << third.frameGeometry().height();
}

}  // namespace
