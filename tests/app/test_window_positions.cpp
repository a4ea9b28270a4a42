// Window positions without windows: the position strings, the seven keys in the settings file, the
// two-step placement of a window saved minimised, and the centring arithmetic.
#include "app/window_positions.h"
#include "platform/profile.h"
#include "support/test_env.h"

#include <QtTest>

#include <map>

using namespace zek;
using zek::test::TestEnvironment;

namespace {

// A window that records what placement does to it.
class FakeWindow : public PlaceableWindow {
public:
    QString m;
    bool minimized = false;
    bool maximized = false;
    WindowPosition geometry{10, 20, 30, 40, 0};
    QStringList calls;

    QString mark() const override { return m; }
    void setMark(const QString& mark) override { m = mark; }
    bool isMinimized() const override { return minimized; }
    bool isMaximized() const override { return maximized; }
    void setNormal() override {
        calls << "normal";
        minimized = maximized = false;
    }
    WindowPosition geometryTwips() const override { return geometry; }
    void setGeometryTwips(int top, int left, int height, int width) override {
        calls << QString("geometry %1 %2 %3 %4").arg(top).arg(left).arg(height).arg(width);
        geometry = {top, left, height, width, 0};
    }
    void setState(int state) override {
        calls << QString("state %1").arg(state);
        minimized = state == WindowMinimized;
        maximized = state == WindowMaximized;
    }
};

// The window's own resize handling: a resize while marked "1" places it again.
void resized(FakeWindow& w, const WindowPositionStrings& positions, const QString& key) {
    if (w.mark() == "1") {
        w.setMark("2");
        placeWindow(w, positions, key);
    }
}

} // namespace

class WindowPositionsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void positionStrings() {
        QCOMPARE(parsePositionString("100 200 300"), (WindowPosition{100, 200, 300, 0, 0}));
        QCOMPARE(parsePositionString(""), (WindowPosition{}));
        QCOMPARE(parsePositionString("1 2 3 4 2 99"), (WindowPosition{1, 2, 3, 4, 2}));
        // A hand-edited line: double blanks, a word, a fraction, a sign.
        QCOMPARE(parsePositionString(" -60  7x abc 5000.6 1"), (WindowPosition{-60, 7, 0, 5001, 1}));
        QCOMPARE(formatPositionString({-60, 0, 5655, 9420, 1}), QString("-60 0 5655 9420 1"));
        QCOMPARE(formatPositionString(parsePositionString("0 0 7200 9600 0")), QString("0 0 7200 9600 0"));
    }

    void defaultsLoadAndUnknownMode() {
        TestEnvironment env;
        const QString ini = env.path("zek.ini");
        WindowPositionStrings positions;
        QVERIFY(windowPositions(positions, "DEFAULTVALUES", ini));
        QCOMPARE(positions.value("ZEK_FORM"), QString("0 0 7200 9600 0"));
        QCOMPARE(positions.value("DRIVE_DIRECTORY_FORM"), QString("0 0 5655 9420 0"));
        for (const QString key : {"CONDITIONS_SORTING_FORM", "SETUP_SUMMARY_FORM", "SUMMARY_FORM",
                                  "SETUP_DETAIL_FORM", "DETAIL_FORM"})
            QCOMPARE(positions.value(key), QString("0 0 5655 9420 1"));
        QCOMPARE(positions.value("NO_SUCH_FORM"), QString());

        platform::writePrivateProfileString("Windowsposition", "DetailForm", "1 2 3 4 2", ini);
        platform::writePrivateProfileString("windowsposition", "zekform", "5 6 7 8 0", ini);
        positions.values.fill("junk");
        QVERIFY(windowPositions(positions, "LOADVALUES", ini));
        QCOMPARE(positions.value("DETAIL_FORM"), QString("1 2 3 4 2"));
        QCOMPARE(positions.value("ZEK_FORM"), QString("5 6 7 8 0"));
        QCOMPARE(positions.value("SUMMARY_FORM"), QString("0 0 5655 9420 1"));
        // Saved places, told apart from the defaults that stand in for missing ones.
        QVERIFY(hasSavedPosition("ZEK_FORM", ini) && hasSavedPosition("DETAIL_FORM", ini));
        QVERIFY(!hasSavedPosition("SUMMARY_FORM", ini) && !hasSavedPosition("NO_SUCH_FORM", ini));

        const auto before = positions.values;
        QVERIFY(!windowPositions(positions, "loadvalues", ini));
        QVERIFY(positions.values == before);
    }

    void windowSavedMinimisedIsPlacedOnItsSecondPlacement() {
        WindowPositionStrings positions;
        positions.setValue("SETUP_DETAIL_FORM", "300 400 5000 6000 1");
        FakeWindow w;

        // Loading the window: only marked.
        placeWindow(w, positions, "SETUP_DETAIL_FORM");
        QCOMPARE(w.mark(), QString("1"));
        QVERIFY(w.calls.isEmpty());

        // Its first resize: placed, in the normal state, and the mark is cleared.
        resized(w, positions, "SETUP_DETAIL_FORM");
        QCOMPARE(w.calls, QStringList({"normal", "geometry 300 400 5000 6000"}));
        QCOMPARE(w.mark(), QString("0"));
        QVERIFY(!w.minimized);

        // Later resizes leave it alone.
        w.calls.clear();
        resized(w, positions, "SETUP_DETAIL_FORM");
        QVERIFY(w.calls.isEmpty());

        // A placement called directly while marked "1" applies the saved state.
        FakeWindow direct;
        direct.m = "1";
        placeWindow(direct, positions, "SETUP_DETAIL_FORM");
        QCOMPARE(direct.calls, QStringList({"normal", "geometry 300 400 5000 6000", "state 1"}));
        QCOMPARE(direct.mark(), QString("0"));
    }

    void normalAndMaximisedPlacement() {
        FakeWindow w;
        w.minimized = true;
        placeWindow(w, "1 2 3 4 2");
        QCOMPARE(w.calls, QStringList({"normal", "geometry 1 2 3 4", "state 2"}));
        QCOMPARE(w.mark(), QString("0"));

        // A maximised window keeps its place and its mark.
        w.calls.clear();
        w.m = "2";
        placeWindow(w, "9 9 9 9 0");
        QVERIFY(w.calls.isEmpty());
        QCOMPARE(w.mark(), QString("2"));

        // A short string: the missing numbers are 0, so the state is normal.
        FakeWindow shortOne;
        placeWindow(shortOne, "15 30");
        QCOMPARE(shortOne.calls, QStringList({"normal", "geometry 15 30 0 0", "state 0"}));
        // An impossible state is taken as normal.
        FakeWindow odd;
        placeWindow(odd, "1 1 1 1 7");
        QCOMPARE(odd.calls.last(), QString("state 0"));
    }

    void saveWritesEveryKeyAndKeepsMissingWindows() {
        TestEnvironment env;
        const QString ini = env.path("cfg/zek.ini");
        WindowPositionStrings positions;
        windowPositions(positions, "DEFAULTVALUES", ini);
        positions.setValue("DETAIL_FORM", "7 7 7 7 1");

        FakeWindow main;
        main.geometry = {150, 300, 6000, 9000, 0};
        main.maximized = true;
        FakeWindow conditions;
        conditions.geometry = {45, 60, 4000, 5000, 0};
        conditions.minimized = true;
        FakeWindow path;
        path.geometry = {0, 15, 5655, 9420, 0};
        std::map<QString, FakeWindow*> windows{
            {"ZEK_FORM", &main}, {"CONDITIONS_SORTING_FORM", &conditions}, {"DRIVE_DIRECTORY_FORM", &path}};
        const WindowLookup lookup = [&](const QString& key) -> PlaceableWindow* {
            auto it = windows.find(key);
            return it == windows.end() ? nullptr : it->second;
        };

        QVERIFY(windowPositions(positions, "SAVEVALUES", ini, lookup));
        // A minimised window is restored before its place is taken, and saved with state 1.
        QCOMPARE(conditions.calls, QStringList({"normal"}));
        auto read = [&](const QString& key) {
            return platform::getPrivateProfileString("Windowsposition", key, "missing", ini);
        };
        QCOMPARE(read("ZekForm"), QString("150 300 6000 9000 2"));
        QCOMPARE(read("ConditionsSortingForm"), QString("45 60 4000 5000 1"));
        QCOMPARE(read("DriveDirectoryForm"), QString("0 15 5655 9420 0"));
        QCOMPARE(read("SetupSummaryForm"), QString("0 0 5655 9420 1"));
        QCOMPARE(read("DetailForm"), QString("7 7 7 7 1"));

        // What was saved is what the next start loads.
        WindowPositionStrings next;
        windowPositions(next, "DEFAULTVALUES", ini);
        windowPositions(next, "LOADVALUES", ini);
        QVERIFY(next.values == positions.values);
    }

    void saveReportsAFailedWrite() {
        TestEnvironment env;
        QFile blocker(env.path("file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        WindowPositionStrings positions;
        windowPositions(positions, "DEFAULTVALUES", QString());
        platform::HostError error;
        QVERIFY(!windowPositions(positions, "SAVEVALUES", env.path("file/zek.ini"), {}, &error));
        QVERIFY(error.number != 0);
        QVERIFY(!error.text.isEmpty());
    }

    void centringInTheWorkArea() {
        const QRect screen(0, 0, 1920, 1080);
        const QSize window(640, 480);
        // No panel: the middle of the screen.
        QCOMPARE(centerInWorkArea(screen, screen, window, 15, 15), QPoint(640, 300));
        // A top bar of 32 pixels moves it down by half of that, a bottom one up.
        QCOMPARE(centerInWorkArea(screen, QRect(0, 32, 1920, 1048), window, 15, 15), QPoint(640, 316));
        QCOMPARE(centerInWorkArea(screen, QRect(0, 0, 1920, 1040), window, 15, 15), QPoint(640, 280));
        // A dock at the left or at the right.
        QCOMPARE(centerInWorkArea(screen, QRect(64, 0, 1856, 1080), window, 15, 15), QPoint(672, 300));
        QCOMPARE(centerInWorkArea(screen, QRect(0, 0, 1856, 1080), window, 15, 15), QPoint(608, 300));
        // A top bar and a dock together: the middle of what both leave free.
        QCOMPARE(centerInWorkArea(screen, QRect(64, 32, 1856, 1048), window, 15, 15), QPoint(672, 316));
        // A second screen to the right of the first.
        QCOMPARE(
            centerInWorkArea(QRect(1920, 0, 1280, 1024), QRect(1920, 30, 1280, 994), QSize(280, 224), 15, 15),
            QPoint(2420, 415));
        // Larger than the screen: not moved.
        QVERIFY(!centerInWorkArea(screen, screen, QSize(2000, 400), 15, 15));
        QVERIFY(!centerInWorkArea(screen, QRect(0, 0, 1920, 1040), QSize(400, 1070), 15, 15));

        QCOMPARE(taskbarRectangles(screen, QRect(0, 0, 1920, 1040)),
                 (std::vector<TaskbarRect>{{0, 1040, 1920, 1080}}));
        QVERIFY(taskbarRectangles(screen, screen).empty());

        // 200 twips below the middle.
        QCOMPARE(centerOnScreen(screen, window, 200, 15, 15), QPoint(640, 313));
    }
};

QTEST_MAIN(WindowPositionsTest)
#include "test_window_positions.moc"
