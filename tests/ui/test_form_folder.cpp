// The working folder at the bottom of the window: named there, and changed by "Сменить…", which
// keeps each folder's settings with it and remembers the new one.
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSettings>

#include "files/config_file.h"
#include "tests/ui/support_form.h"
#include "ui/startup.h"
#include "ui/ugform.h"

namespace {

class FolderLineTest : public FormTest {};

TEST_F(FolderLineTest, ChangeMovesTheWindowToAnotherFolderAndRemembersIt) {
    // The remembered folder goes to the scratch folder, not to the user's settings.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Path("config"));
    MakeDir("lab");
    TSettings lab;
    lab.MasterMode = 2;
    ASSERT_TRUE(WriteConfig(QFile::encodeName(Path("lab/std.cfg")).toStdString(), lab));
    const QString start = QDir::currentPath();

    ShowForm();
    auto* label = W<QLabel>("WorkingFolderLabel");
    EXPECT_TRUE(label->text().endsWith(QDir::toNativeSeparators(start)))
        << label->text().toStdString();
    form_->Settings.MasterMode = 1;

    modals_->AcceptNextDialog("WorkingFolderDialog", Path("lab"));
    Click(W<QPushButton>("WorkingFolderButton"));
    EXPECT_EQ(QDir::currentPath(), Path("lab"));
    EXPECT_EQ(form_->Settings.MasterMode, 2);
    EXPECT_TRUE(label->text().endsWith(QDir::toNativeSeparators(Path("lab"))));
    // The folder left keeps its settings, as on closing.
    TSettings left;
    ASSERT_TRUE(ReadConfig(QFile::encodeName(start + "/std.cfg").toStdString(), left));
    EXPECT_EQ(left.MasterMode, 1);
    QSettings remembered(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("TESSARO"),
                         QStringLiteral("tessaro-master"));
    EXPECT_EQ(QFile::decodeName(remembered.value(kWorkingFolderKey).toByteArray()), Path("lab"));
}

}  // namespace
