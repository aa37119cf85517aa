// "Записать файл инициализации": exam_ddc.ini written from the settings, its comments carried over.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "tests/ui/support_form.h"

namespace {

TEST_F(FormTest, InitializationFileWrittenAfterEditsMatchesByteForByte) {
    WriteBytes(Path("exam_ddc.ini"), Fixture("exam_ddc_in.ini"));
    ShowForm();
    EXPECT_EQ(W<QLineEdit>("Edit18")->text(), "90000000");  // the internal clock from the file

    Click(MatrixBox(*form_, 5, 2));
    Click(W<QRadioButton>("RadioButton3"));
    Click(W<QCheckBox>("CheckBox85"));
    ChooseComboItem(W<QComboBox>("ComboBox6"), 2);
    TypeThenEnter(W<QLineEdit>("Edit19"), "100000");
    // 15 channels of 4 bytes, 100000 samples: three 2048 KB buffers.
    EXPECT_EQ(W<QLineEdit>("Edit20")->text(), "6144");
    EXPECT_EQ(W<QLineEdit>("Edit25")->text(), "104857");

    Click(W<QPushButton>("Button9"));

    const QByteArray expected = Fixture("exam_ddc_expected.ini");
    EXPECT_EQ(ReadBytes(Path("exam_ddc.ini")), expected);
    EXPECT_FALSE(QFile::exists(Path("std.cfg")));

    Click(W<QPushButton>("Button9"));
    EXPECT_EQ(ReadBytes(Path("exam_ddc.ini")), expected);
}

TEST_F(FormTest, InitializationFileWrittenWithoutRedrawing) {
    ShowForm();
    form_->Settings.FrequencyNCO[0] = 5.0f;
    const QString before = ControlsSnapshot(*form_);

    Click(W<QPushButton>("Button9"));

    EXPECT_EQ(ControlsSnapshot(*form_), before);
    const QByteArray written = ReadBytes(Path("exam_ddc.ini"));
    EXPECT_TRUE(written.contains("\r\nFrequencyNCO0= 5.0\t;")) << written.data();
    EXPECT_TRUE(written.contains("DDCProgramFile= IsGsm.prg\t;")) << written.data();
    EXPECT_FALSE(written.contains("InternalClockValue"));
}

TEST_F(FormTest, UnwritableInitializationFileIsReportedAndChangesNothing) {
    ShowForm();
    // A folder in the file's place: refused even to root, unlike a read-only file.
    MakeDir("exam_ddc.ini");
    const QString before = ControlsSnapshot(*form_);
    const std::string stored = StoredSettingsSnapshot(form_->Settings);

    Click(W<QPushButton>("Button9"));

    const QStringList shown = TakeMessages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown.front().contains("exam_ddc.ini")) << shown.front().toStdString();
    EXPECT_EQ(ControlsSnapshot(*form_), before);
    EXPECT_EQ(StoredSettingsSnapshot(form_->Settings), stored);
    EXPECT_TRUE(QFileInfo(Path("exam_ddc.ini")).isDir());
    EXPECT_TRUE(QDir(Path("exam_ddc.ini")).isEmpty());
    EXPECT_FALSE(QFile::exists(Path("std.cfg")));
}

}  // namespace
