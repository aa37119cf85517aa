// The run journal in the window: every write kept, the list with its filter, what an entry
// changed and how it differs from the window, "Вернуть эти настройки" as one undo step, and the
// preview behind the mark "● не записано".
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "files/journal.h"
#include "tests/ui/support_form.h"

namespace {

QStringList Column(QTreeWidget* table, int column) {
    QStringList cells;
    for (int i = 0; i < table->topLevelItemCount(); ++i)
        cells.append(table->topLevelItem(i)->text(column));
    return cells;
}

class JournalTest : public FormTest {
  protected:
    void SetUp() override {
        FormTest::SetUp();
        ASSERT_TRUE(JournalAvailable()) << "the window's build keeps a journal";
    }
    QWidget* Dialog() { return W<QWidget>("JournalDialog"); }
    QTreeWidget* Table(const char* name) { return W<QTreeWidget>(QString::fromLatin1(name)); }
    QString Status() { return W<QLabel>("IniStatus")->text(); }
};

TEST_F(JournalTest, EachWriteIsListedAndItsSettingsComeBackAsOneUndoStep) {
    WriteBytes(Path("exam_ddc.ini"), Fixture("exam_ddc_in.ini"));
    ShowForm();
    Click(W<QPushButton>("Button9"));
    Click(W<QPushButton>("Button6"));  // only channel 0
    Click(W<QPushButton>("Button9"));
    const QByteArray written = ReadBytes(Path("exam_ddc.ini"));

    Click(W<QPushButton>("JournalButton"));
    ASSERT_TRUE(Dialog()->isVisible());
    QTreeWidget* list = Table("JournalList");
    EXPECT_EQ(Column(list, 0), QStringList({"2", "1"}));
    EXPECT_EQ(Column(list, 2), QStringList({"std.cfg", "std.cfg"}));
    EXPECT_EQ(list->topLevelItem(0)->text(3),
              QString::number(Table("JournalChanges")->topLevelItemCount()));
    EXPECT_TRUE(Column(Table("JournalChanges"), 0).contains("DDCChannelMask"));
    EXPECT_EQ(Table("JournalDifferences")->topLevelItem(0)->text(0),
              QString::fromUtf8("Настройки те же, что в окне"));

    // The first write's settings differ from the window's by the channels.
    list->setCurrentItem(list->topLevelItem(1));
    EXPECT_TRUE(Column(Table("JournalDifferences"), 0).contains("DDCChannelMask"));
    const std::string now = StoredSettingsSnapshot(form_->Settings);
    Click(W<QPushButton>("JournalRestore"));
    EXPECT_NE(StoredSettingsSnapshot(form_->Settings), now);
    EXPECT_EQ(form_->Settings.DDCChannelMask, 0xFFFF);
    EXPECT_EQ(Table("JournalDifferences")->topLevelItem(0)->text(0),
              QString::fromUtf8("Настройки те же, что в окне"));
    // Nothing written: the file still holds the second write, and the mark says so.
    EXPECT_EQ(ReadBytes(Path("exam_ddc.ini")), written);
    EXPECT_FALSE(W<QWidget>("IniPending")->isHidden());
    EXPECT_FALSE(QFile::exists(Path("std.cfg")));

    form_->UndoStep();
    EXPECT_EQ(StoredSettingsSnapshot(form_->Settings), now);
    form_->RedoStep();
    EXPECT_EQ(form_->Settings.DDCChannelMask, 0xFFFF);

    // A write while the journal is open lists itself at once; the filter narrows by key.
    Click(W<QPushButton>("Button9"));
    EXPECT_EQ(Column(list, 0), QStringList({"3", "2", "1"}));
    W<QLineEdit>("JournalFilter")->setText("ddcchannelmask");
    EXPECT_EQ(Column(list, 0), QStringList({"3", "2"}));
    W<QLineEdit>("JournalFilter")->setText(QString::fromUtf8("нет такого"));
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_FALSE(W<QPushButton>("JournalRestore")->isEnabled());
}

TEST_F(JournalTest, AJournalThatCannotBeWrittenIsReportedAndTheFileIsWrittenAllTheSame) {
    MakeDir("tessaro-journal.sqlite");
    ShowForm();
    Click(W<QPushButton>("Button9"));
    EXPECT_TRUE(QFile::exists(Path("exam_ddc.ini")));
    EXPECT_TRUE(W<QWidget>("IniPending")->isHidden());
    EXPECT_TRUE(Status().endsWith(QString::fromUtf8(
        "; журнал не записан: cannot write \"tessaro-journal.sqlite\": Is a directory")))
        << Status().toStdString();
    EXPECT_TRUE(TakeMessages().isEmpty());

    Click(W<QPushButton>("JournalButton"));
    EXPECT_TRUE(
        W<QLabel>("JournalState")->text().startsWith(QString::fromUtf8("Журнал не прочитан")));
    EXPECT_EQ(Table("JournalList")->topLevelItemCount(), 0);
}

TEST_F(JournalTest, TheMarkShowsTheLinesAWriteWouldChangeDecodedForReading) {
    WriteBytes(Path("exam_ddc.ini"), Fixture("exam_ddc_in.ini"));
    ShowForm();
    auto* mark = W<QPushButton>("IniPending");
    ASSERT_FALSE(mark->isHidden());
    Click(mark);

    const QString text = W<QPlainTextEdit>("IniPreviewText")->toPlainText();
    EXPECT_TRUE(text.startsWith("--- exam_ddc.ini\n+++ exam_ddc.ini\n")) << text.toStdString();
    // The comments are Windows-1251 in the file: shown as Cyrillic, never as replacement marks.
    EXPECT_FALSE(text.contains(QChar::ReplacementCharacter));
    EXPECT_TRUE(
        text.contains(QRegularExpression(QString::fromUtf8("\n\\+\\w+= [^\n]*;[^\n]*[а-я]"))))
        << text.toStdString();
    EXPECT_EQ(ReadBytes(Path("exam_ddc.ini")), Fixture("exam_ddc_in.ini"));  // nothing written
}

}  // namespace
