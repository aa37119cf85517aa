// "Записать файл инициализации" and `tessaro-cli apply` write the same bytes.
#include <QDir>
#include <QProcess>
#include <QPushButton>

#include "tests/ui/support_form.h"

// Built only with the command line (TESSARO_BUILD_CLI).
#ifdef TESSARO_CLI
namespace {

QByteArray SourceFile(const QString& path) {
    const QByteArray bytes = ReadBytes(path);
    if (bytes.isEmpty()) {
        throw std::runtime_error("missing " + path.toStdString());
    }
    return bytes;
}

TEST_F(FormTest, ButtonAndCommandLineWriteTheSameInitializationFile) {
    struct Case {
        QString name;
        QByteArray config;
        QByteArray ini;
        QString configName;  // where the command line reads the configuration from
    };
    const QString data = QStringLiteral(TESSARO_TEST_DATA_DIR);
    const QString demo = QStringLiteral(TESSARO_DEMO_DIR);
    const Case cases[] = {
        {"demo", SourceFile(demo + "/std.cfg"), SourceFile(demo + "/exam_ddc.ini"), "std.cfg"},
        // Comments in Windows-1251, a key in other letter case, a missing key, a last line
        // without a line break, and the configuration named on the command line.
        {"cp1251", SourceFile(data + "/cli/lab.cfg"), SourceFile(data + "/cli/exam_ddc_cp1251.ini"),
         "lab.cfg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        const QString window = Path(c.name + "/window");
        const QString cli = Path(c.name + "/cli");
        MakeDir(c.name + "/window");
        MakeDir(c.name + "/cli");
        WriteBytes(window + "/std.cfg", c.config);
        WriteBytes(window + "/exam_ddc.ini", c.ini);
        WriteBytes(cli + "/" + c.configName, c.config);
        WriteBytes(cli + "/exam_ddc.ini", c.ini);

        ASSERT_TRUE(QDir::setCurrent(window));
        ShowForm();
        Click(W<QPushButton>("Button9"));
        form_.reset();

        QStringList args = {"--dir", cli, "apply"};
        if (c.configName != "std.cfg") {
            args << "--config" << c.configName;
        }
        QProcess process;
        process.start(QStringLiteral(TESSARO_CLI), args);
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0);
        EXPECT_EQ(process.readAllStandardError(), QByteArray());

        const QByteArray written = ReadBytes(window + "/exam_ddc.ini");
        EXPECT_NE(written, c.ini);
        EXPECT_EQ(ReadBytes(cli + "/exam_ddc.ini"), written);
    }
}

}  // namespace
#endif
