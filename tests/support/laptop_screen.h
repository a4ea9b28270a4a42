// Window tests on a laptop-sized screen (1366 x 768) rather than the offscreen platform's 800 x 600,
// which is narrower than what the Conditions & Sorting window needs.
#pragma once

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace zek::test {

// Points the offscreen platform at a 1366 x 768 screen; call before the application is made. The
// directory holds the screen's description and must outlive the application.
inline void useLaptopScreen(const QTemporaryDir& configDir) {
    if (qgetenv("QT_QPA_PLATFORM") != "offscreen" || !configDir.isValid())
        return;
    const QString configFile = configDir.filePath("screen.json");
    QFile file(configFile);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(R"({"screens": [{"name": "Laptop", "x": 0, "y": 0, "width": 1366, "height": 768,)"
               R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + configFile.toLocal8Bit());
}

} // namespace zek::test

// QTEST_MAIN on the laptop screen.
#define ZEK_TEST_MAIN_ON_LAPTOP_SCREEN(TestClass)                                                            \
    int main(int argc, char** argv) {                                                                        \
        QTemporaryDir configDir;                                                                             \
        zek::test::useLaptopScreen(configDir);                                                               \
        QApplication application(argc, argv);                                                                \
        TestClass test;                                                                                      \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
