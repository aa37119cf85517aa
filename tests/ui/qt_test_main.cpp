// Entry point of the window tests: one QApplication for all tests, headless unless told otherwise.
#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The virtual screen the tests run on, "WIDTHxHEIGHT" or "WIDTHxHEIGHT@SCALE" from
// TESSARO_TEST_SCREEN: by default one taller than the window, as on a desktop (the headless
// platform's own is 800 x 600). A scale is set as Qt's scale factor.
QByteArray ScreenConfig() {
    QByteArray size = qgetenv("TESSARO_TEST_SCREEN");
    if (size.isEmpty()) {
        size = "1920x1200";
    }
    if (const qsizetype at = size.indexOf('@'); at >= 0) {
        qputenv("QT_SCALE_FACTOR", size.mid(at + 1));
        size.truncate(at);
    }
    const QList<QByteArray> sides = size.split('x');
    if (sides.size() != 2) {
        qFatal("TESSARO_TEST_SCREEN must read WIDTHxHEIGHT[@SCALE], not %s", size.constData());
    }
    return R"({"screens": [{"name": "test", "x": 0, "y": 0, "width": )" + sides[0] +
           R"(, "height": )" + sides[1] + R"(, "logicalDpi": 96, "logicalBaseDpi": 96}]})";
}

}  // namespace

int main(int argc, char** argv) {
    // Test discovery runs this program at build time, before CTest's environment applies.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QTemporaryDir configDir;
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen" && configDir.isValid()) {
        const QString path = configDir.filePath(QStringLiteral("screen.json"));
        QFile config(path);
        if (config.open(QIODevice::WriteOnly) && config.write(ScreenConfig()) > 0) {
            config.close();
            qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(path));
        }
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
