// Before the window: the program's command line as a user types it, and the working folder a
// start from the home folder asks for once and then remembers.
#include <QDir>
#include <QProcess>
#include <QSettings>

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "tessaro_version.h"
#include "tests/ui/support_form.h"
#include "ui/startup.h"

namespace {

struct RunCase {
    const char* name;
    QStringList arguments;
    int status;
    std::string out;  // expected in stdout
    std::string err;  // expected in stderr
};

void PrintTo(const RunCase& c, std::ostream* out) {
    *out << c.name;
}

// clang-format off
const RunCase kRunCases[] = {
    {"Version",       {"--version"},                  0, std::string("tessaro-master ") + kTessaroVersionText, ""},
    {"Help",          {"--help"},                     0, "--dir <DIR>", ""},
    {"MissingFolder", {"--dir", "/no/such/folder"},   2, "", "--dir: no such folder: /no/such/folder"},
    {"FileNotFolder", {"--dir=" TESSARO_MASTER_PATH}, 2, "", "no such folder: " TESSARO_MASTER_PATH},
    // Qt's own words for these are translated under a Russian desktop; the hint is not.
    {"DirWithoutValue", {"--dir"},                    2, "", "Try 'tessaro-master --help'."},
    {"UnknownOption", {"--colour"},                   2, "", "Try 'tessaro-master --help'."},
};
// clang-format on

class ProgramRun : public ::testing::TestWithParam<RunCase> {};

TEST_P(ProgramRun, AnswersBeforeAnyWindow) {
    QProcess program;
    program.start(QStringLiteral(TESSARO_MASTER_PATH), GetParam().arguments);
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), GetParam().status);
    const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(program.readAllStandardError());
    EXPECT_TRUE(out.contains(QString::fromStdString(GetParam().out))) << out.toStdString();
    EXPECT_TRUE(err.contains(QString::fromStdString(GetParam().err))) << err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Program, ProgramRun, ::testing::ValuesIn(kRunCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ----- in the process: --dir and the working folder -----

class WorkingFolderTest : public FormTest {
  protected:
    void SetUp() override {
        FormTest::SetUp();
        MakeDir("home");
        MakeDir("lab");
        MakeDir("elsewhere");
        modals_ = std::make_unique<ModalAnswerer>();
    }
    QString Remembered() {
        return QFile::decodeName(settings_.value(kWorkingFolderKey).toByteArray());
    }
    // Starts as from `folder`; the answer is recorded by the question.
    void Start(const QString& folder, const QString& answer) {
        ASSERT_TRUE(QDir::setCurrent(Path(folder)));
        SettleWorkingFolder(settings_, Path("home"), [this, answer](const QString& startIn) {
            asked_ << startIn;
            return answer;
        });
    }

    QSettings settings_{Path("remembered.ini"), QSettings::IniFormat};
    QStringList asked_;
};

TEST_F(WorkingFolderTest, FirstStartFromHomeAsksOnceThenRemembers) {
    Start("home", Path("lab"));
    EXPECT_EQ(asked_, QStringList{Path("home")});
    EXPECT_EQ(QDir::currentPath(), Path("lab"));
    EXPECT_EQ(Remembered(), Path("lab"));

    Start("home", Path("elsewhere"));  // the next start asks nothing
    EXPECT_EQ(asked_.size(), 1);
    EXPECT_EQ(QDir::currentPath(), Path("lab"));
}

TEST_F(WorkingFolderTest, StartedElsewhereWorksThereAndAsksNothing) {
    Start("elsewhere", Path("lab"));
    EXPECT_TRUE(asked_.isEmpty());
    EXPECT_EQ(QDir::currentPath(), Path("elsewhere"));
    EXPECT_TRUE(Remembered().isEmpty());
}

TEST_F(WorkingFolderTest, CancelledQuestionStaysHomeAndAsksAgainNextTime) {
    Start("home", QString());
    EXPECT_EQ(QDir::currentPath(), Path("home"));
    EXPECT_TRUE(Remembered().isEmpty());
    Start("home", Path("lab"));
    EXPECT_EQ(asked_.size(), 2);
    EXPECT_EQ(QDir::currentPath(), Path("lab"));
}

TEST_F(WorkingFolderTest, RememberedFolderThatIsGoneIsAskedForAgain) {
    MakeDir("gone");
    settings_.setValue(kWorkingFolderKey, QFile::encodeName(Path("gone")));
    ASSERT_TRUE(QDir(Path("gone")).removeRecursively());
    Start("home", Path("lab"));
    EXPECT_EQ(asked_.size(), 1);
    EXPECT_EQ(Remembered(), Path("lab"));
}

// The question as the user sees it: a folder dialog, answered here.
TEST_F(WorkingFolderTest, TheQuestionIsAFolderDialog) {
    ASSERT_TRUE(QDir::setCurrent(Path("home")));
    modals_->AcceptNextDialog("WorkingFolderDialog", Path("lab"));
    SettleWorkingFolder(settings_, Path("home"), AskForWorkingFolder);
    const std::vector<SeenFileDialog> seen = modals_->TakeFileDialogs();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].directory, Path("home"));
    EXPECT_EQ(QDir::currentPath(), Path("lab"));
    EXPECT_EQ(Remembered(), Path("lab"));
}

// --dir moves into the folder as its name's bytes stand, whatever the locale makes of them.
TEST_F(WorkingFolderTest, DirTakesTheFolderNameAsBytes) {
    const std::string folder = QFile::encodeName(Path("")).toStdString() + "/caf\xE9";
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    std::string program = "tessaro-master";
    std::string option = "--dir=" + folder;
    char* argv[] = {program.data(), option.data(), nullptr};
    std::ostringstream out;
    std::ostringstream err;
    const TStartOptions options = ParseCommandLine(2, argv, out, err, true);
    EXPECT_FALSE(options.exitCode.has_value()) << err.str();
    EXPECT_TRUE(options.dirGiven);
    EXPECT_EQ(std::filesystem::current_path().string(), folder);
}

}  // namespace
