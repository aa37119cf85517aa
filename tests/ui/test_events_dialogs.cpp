// The four file dialogs, accepted and cancelled: what they store, which files they read and write,
// and that the working directory is the same afterwards.
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>

#include "tests/ui/support_form.h"

namespace {

QString Slashed(const QString& path) {
    return QString(path).replace('\\', '/');
}

class DialogTest : public FormTest {
  protected:
    void SetUp() override {
        FormTest::SetUp();
        ASSERT_TRUE(elsewhere_.isValid());
        ShowForm();
    }
    QString WorkingDir() const { return QDir(scratch_.path()).absolutePath(); }
    QString Elsewhere(const QString& relative) const {
        return QDir(elsewhere_.path()).absoluteFilePath(relative);
    }
    // The one dialog the last action opened.
    SeenFileDialog OnlyDialog() {
        const std::vector<SeenFileDialog> seen = modals_->TakeFileDialogs();
        if (seen.size() != 1) {
            ADD_FAILURE() << seen.size() << " file dialogs opened";
            return {};
        }
        return seen.front();
    }

    QTemporaryDir elsewhere_;
};

TEST_F(DialogTest, DirectRecordingFileChosen) {
    MakeDir("rec");
    modals_->AcceptNextDialog("SaveDialog1", Path("rec/out"));

    Click(W<QPushButton>("Button10"));

    const SeenFileDialog dialog = OnlyDialog();
    EXPECT_EQ(dialog.directory, WorkingDir());
    EXPECT_EQ(dialog.defaultSuffix, "bin");
    EXPECT_TRUE(dialog.save);
    EXPECT_EQ(Slashed(QString::fromStdString(form_->Settings.DirFileName)), Path("rec/out.bin"));
    EXPECT_EQ(Slashed(W<QLineEdit>("Edit21")->text()), Path("rec/out.bin"));
    EXPECT_EQ(QDir::currentPath(), WorkingDir());
    EXPECT_FALSE(QFile::exists(Path("rec/out.bin")));  // only its name is handled
}

TEST_F(DialogTest, DirectRecordingFileCancelled) {
    const QString before = ControlsSnapshot(*form_);
    const std::string stored = StoredSettingsSnapshot(form_->Settings);
    modals_->CancelNextDialog("SaveDialog1");

    Click(W<QPushButton>("Button10"));

    EXPECT_EQ(OnlyDialog().name, "SaveDialog1");
    EXPECT_EQ(ControlsSnapshot(*form_), before);
    EXPECT_EQ(StoredSettingsSnapshot(form_->Settings), stored);
    EXPECT_EQ(QDir::currentPath(), WorkingDir());
}

TEST_F(DialogTest, DdcProgramChosenInPrgFiles) {
    MakeDir("PRGFILES");
    WriteBytes(Path("PRGFILES/IsGsm.prg"), "program");
    modals_->AcceptNextDialog("OpenDialog2", Path("PRGFILES/IsGsm.prg"));

    Click(W<QPushButton>("Button11"));

    const SeenFileDialog dialog = OnlyDialog();
    EXPECT_EQ(dialog.directory, Path("PRGFILES"));
    EXPECT_EQ(dialog.defaultSuffix, "prg");
    EXPECT_FALSE(dialog.save);
    EXPECT_EQ(form_->Settings.DDCProgramFile, "PRGFILES\\IsGsm.prg");
    EXPECT_EQ(W<QLineEdit>("Edit22")->text(), "PRGFILES\\IsGsm.prg");
    EXPECT_EQ(QDir::currentPath(), WorkingDir());
}

TEST_F(DialogTest, DdcProgramChosenElsewhereKeepsItsFolderName) {
    QDir(elsewhere_.path()).mkpath("DSP");
    WriteBytes(Elsewhere("DSP/Alt.prg"), "program");
    modals_->AcceptNextDialog("OpenDialog2", Elsewhere("DSP/Alt.prg"));

    Click(W<QPushButton>("Button11"));

    EXPECT_EQ(OnlyDialog().name, "OpenDialog2");
    EXPECT_EQ(form_->Settings.DDCProgramFile, "DSP\\Alt.prg");
    EXPECT_EQ(W<QLineEdit>("Edit22")->text(), "DSP\\Alt.prg");
    EXPECT_EQ(QDir::currentPath(), WorkingDir());
}

// Enter typed while the name's completion list is open accepts the dialog with the list shown.
TEST_F(DialogTest, CompletionListOpenAtAcceptanceDoesNotStayOverTheWindow) {
    MakeDir("PRGFILES");
    WriteBytes(Path("PRGFILES/IsGsm.prg"), "program");
    // The dialog is built on its first opening.
    modals_->CancelNextDialog("OpenDialog2");
    Click(W<QPushButton>("Button11"));
    EXPECT_EQ(OnlyDialog().name, "OpenDialog2");
    auto* dialog = form_->findChild<QFileDialog*>("OpenDialog2");
    ASSERT_NE(dialog, nullptr);
    auto* completer = dialog->findChild<QCompleter*>();
    ASSERT_NE(completer, nullptr);
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog,
                     [completer] { completer->popup()->show(); });
    modals_->AcceptNextDialog("OpenDialog2", Path("PRGFILES/IsGsm.prg"));

    Click(W<QPushButton>("Button11"));

    EXPECT_EQ(OnlyDialog().name, "OpenDialog2");
    EXPECT_EQ(form_->Settings.DDCProgramFile, "PRGFILES\\IsGsm.prg");
    EXPECT_FALSE(completer->popup()->isVisible());
}

TEST_F(DialogTest, DdcProgramCancelled) {
    const QString before = ControlsSnapshot(*form_);
    modals_->CancelNextDialog("OpenDialog2");

    Click(W<QPushButton>("Button11"));

    EXPECT_EQ(OnlyDialog().name, "OpenDialog2");
    EXPECT_EQ(ControlsSnapshot(*form_), before);
    EXPECT_EQ(form_->Settings.DDCProgramFile, "IsGsm.prg");
    EXPECT_EQ(QDir::currentPath(), WorkingDir());
}

TEST_F(DialogTest, ConfigurationWrittenIntoAnotherFolder) {
    MakeDir("CONFIGS");
    Click(W<QCheckBox>("CheckBox85"));
    modals_->AcceptNextDialog("SaveDialog3", Elsewhere("mine.cfg"));

    Click(W<QPushButton>("Button13"));

    const SeenFileDialog dialog = OnlyDialog();
    EXPECT_EQ(dialog.directory, Path("CONFIGS"));
    EXPECT_EQ(dialog.defaultSuffix, "cfg");
    EXPECT_TRUE(dialog.save);
    const QByteArray written = ReadBytes(Elsewhere("mine.cfg"));
    EXPECT_TRUE(written.startsWith("[Option]\r\n\r\nSamplesPerChannel= 1024\r\n"))
        << written.data();
    EXPECT_TRUE(written.contains("\r\nDither= 0\r\n")) << written.data();
    EXPECT_EQ(form_->Settings.CurrentConfigName, "mine.cfg");
    EXPECT_EQ(W<QLineEdit>("Edit23")->text(), "mine.cfg");
    EXPECT_FALSE(QFile::exists(Path("mine.cfg")));
    EXPECT_FALSE(QFile::exists(Path("std.cfg")));
    EXPECT_EQ(QDir::currentPath(), WorkingDir());
}

TEST_F(DialogTest, ConfigurationNameGetsTheDefaultSuffix) {
    MakeDir("CONFIGS");
    modals_->AcceptNextDialog("SaveDialog3", Path("CONFIGS/second"));

    Click(W<QPushButton>("Button13"));

    EXPECT_EQ(OnlyDialog().name, "SaveDialog3");
    EXPECT_TRUE(QFile::exists(Path("CONFIGS/second.cfg")));
    EXPECT_EQ(W<QLineEdit>("Edit23")->text(), "second.cfg");
    EXPECT_EQ(QDir::currentPath(), WorkingDir());
}

TEST_F(DialogTest, ConfigurationOverwrittenAfterConfirmation) {
    WriteBytes(Elsewhere("old.cfg"), "junk\r\n");
    modals_->AcceptNextDialog("SaveDialog3", Elsewhere("old.cfg"));

    Click(W<QPushButton>("Button13"));

    EXPECT_EQ(OnlyDialog().name, "SaveDialog3");
    const QStringList asked = TakeMessages();  // the dialog's own overwrite question
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked.front().contains("old.cfg")) << asked.front().toStdString();
    EXPECT_TRUE(ReadBytes(Elsewhere("old.cfg")).startsWith("[Option]\r\n"));
    EXPECT_EQ(W<QLineEdit>("Edit23")->text(), "old.cfg");
}

TEST_F(DialogTest, ConfigurationWriteCancelled) {
    MakeDir("CONFIGS");
    const QString before = ControlsSnapshot(*form_);
    modals_->CancelNextDialog("SaveDialog3");

    Click(W<QPushButton>("Button13"));

    EXPECT_EQ(OnlyDialog().name, "SaveDialog3");
    EXPECT_EQ(ControlsSnapshot(*form_), before);
    EXPECT_EQ(form_->Settings.CurrentConfigName, "std.cfg");
    EXPECT_TRUE(QDir(Path("CONFIGS")).isEmpty());
    EXPECT_FALSE(QFile::exists(Path("std.cfg")));
    EXPECT_EQ(QDir::currentPath(), WorkingDir());
}

TEST_F(DialogTest, ConfigurationReadFromAnotherFolderThenClosingSavesStdCfg) {
    MakeDir("MODSET");
    const QByteArray odd = Fixture("odd.cfg");
    WriteBytes(Elsewhere("odd.cfg"), odd);
    modals_->AcceptNextDialog("OpenDialog1", Elsewhere("odd.cfg"));

    Click(W<QPushButton>("Button12"));

    const SeenFileDialog dialog = OnlyDialog();
    EXPECT_EQ(dialog.directory, Path("MODSET"));
    EXPECT_EQ(dialog.defaultSuffix, "cfg");
    EXPECT_FALSE(dialog.save);
    EXPECT_EQ(W<QLineEdit>("Edit23")->text(), "odd.cfg");
    EXPECT_EQ(form_->Settings.CurrentConfigName, "odd.cfg");
    EXPECT_EQ(form_->Settings.SamplesPerChannel, 3000);
    EXPECT_EQ(W<QComboBox>("ComboBox6")->currentIndex(), -1);
    EXPECT_EQ(W<QLineEdit>("Edit21")->text(), "rec.bin");
    EXPECT_EQ(QDir::currentPath(), WorkingDir());

    form_->close();

    // Nothing was harvested, so std.cfg holds exactly what was read.
    EXPECT_EQ(ReadBytes(Path("std.cfg")), odd);
    EXPECT_EQ(ReadBytes(Elsewhere("odd.cfg")), odd);
    EXPECT_FALSE(QFile::exists(Path("odd.cfg")));
}

// The open dialog does not insist on an existing file; the failed read names it and keeps
// everything as it was, the configuration name included.
TEST_F(DialogTest, ConfigurationReadFailureIsReported) {
    const QString before = ControlsSnapshot(*form_);
    const std::string stored = StoredSettingsSnapshot(form_->Settings);
    modals_->AcceptNextDialog("OpenDialog1", Elsewhere("missing.cfg"));

    Click(W<QPushButton>("Button12"));

    EXPECT_EQ(OnlyDialog().name, "OpenDialog1");
    const QStringList shown = TakeMessages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown.front().contains("missing.cfg")) << shown.front().toStdString();
    EXPECT_EQ(ControlsSnapshot(*form_), before);
    EXPECT_EQ(StoredSettingsSnapshot(form_->Settings), stored);
    EXPECT_EQ(QDir::currentPath(), WorkingDir());
}

TEST_F(DialogTest, ConfigurationWriteFailureIsReported) {
    const QString before = ControlsSnapshot(*form_);
    modals_->AcceptNextDialog("SaveDialog3", Elsewhere("gone/mine.cfg"));

    Click(W<QPushButton>("Button13"));

    EXPECT_EQ(OnlyDialog().name, "SaveDialog3");
    const QStringList shown = TakeMessages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown.front().contains("mine.cfg")) << shown.front().toStdString();
    EXPECT_EQ(ControlsSnapshot(*form_), before);
    EXPECT_EQ(form_->Settings.CurrentConfigName, "std.cfg");
    EXPECT_FALSE(QFile::exists(Elsewhere("gone/mine.cfg")));
    EXPECT_EQ(QDir::currentPath(), WorkingDir());
}

TEST_F(DialogTest, ConfigurationReadCancelled) {
    const QString before = ControlsSnapshot(*form_);
    const std::string stored = StoredSettingsSnapshot(form_->Settings);
    modals_->CancelNextDialog("OpenDialog1");

    Click(W<QPushButton>("Button12"));

    EXPECT_EQ(OnlyDialog().name, "OpenDialog1");
    EXPECT_EQ(ControlsSnapshot(*form_), before);
    EXPECT_EQ(StoredSettingsSnapshot(form_->Settings), stored);
    EXPECT_EQ(QDir::currentPath(), WorkingDir());
}

}  // namespace
