// The About and Welcome windows driven for real (offscreen), and window placement on real windows:
// the second placement of a window saved minimised and positions that survive a restart.
//
// With ZEK_SCREENSHOT_DIR set, both windows are also saved as images there.
#include "app/gui/about_window.h"
#include "app/gui/tip_window.h"
#include "app/gui/window_placement.h"
#include "app/startup.h"
#include "platform/host_paths.h"
#include "platform/profile.h"
#include "platform/twips.h"
#include "support/controls.h"
#include "support/scripted_prompter.h"
#include "support/test_env.h"

#include <QCheckBox>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextEdit>
#include <QtTest>

using namespace zek;
using zek::test::child;
using zek::test::Control;
using zek::test::controlMismatches;
using zek::test::ScriptedPrompter;
using zek::test::TestEnvironment;

namespace {

QString firstLine(const QString& text) {
    return text.section('\n', 0, 0);
}

QString tw(int px, platform::Axis axis) {
    return QString::number(platform::pixelsToTwips(px, axis));
}

} // namespace

class AboutTipTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aboutWindowShowsVersionsFoldersAndSystem() {
        TestEnvironment env;
        platform::IntlSettings intl; // "M/d/yy", "."
        AboutWindow about(env.workDirectory(), intl);
        QCOMPARE(about.objectName(), QString("frmAbout"));
        QCOMPARE(about.windowTitle(), QString("About ZEK"));
        QVERIFY(!about.isModal());
        const QList<Control> controls = {
            {"picIcon", "QLabel"},
            {"lblTitle", "QLabel", "ZEK"},
            {"lblVersion", "QLabel", "Version 2.95"},
            {"cmdOK", "QPushButton", "&OK"},
        };
        QCOMPARE(controlMismatches(about, controls).join("; "), QString());
        QCOMPARE(about.valueOf("Database Path:"), env.workDirectory());
        QCOMPARE(about.valueOf("Windows Directory:"), platform::configFolder());
        QVERIFY(about.valueOf("Windows Directory:").startsWith(env.root()));
        QVERIFY(QFileInfo(about.valueOf("Windows System Directory:")).isDir());
        QCOMPARE(about.valueOf("Database Version:"), QString("3.00"));
        QCOMPARE(about.valueOf("Database Version Date:"), QString("2/1/96"));
        QVERIFY(about.valueOf("Total Physical Memory:").endsWith(" MB"));
        QVERIFY(about.valueOf("Free Physical Memory:").endsWith(" % free."));
        QVERIFY(about.valueOf("Total Page File:").endsWith(" MB"));
        QVERIFY(about.valueOf("Available Page File:").endsWith("% free."));
        QVERIFY(!about.valueOf("Processor Type:").isEmpty());
        QCOMPARE(about.valueOf("Operating System:"), QString("Linux"));
        QVERIFY(!about.valueOf("Version:").isEmpty());
        QVERIFY(!about.valueOf("Build Number:").isEmpty());
        // Every caption is on the window.
        QStringList captions;
        for (const QLabel* label : about.findChildren<QLabel*>())
            captions << label->text();
        for (const char* caption :
             {"Database Path:", "Windows Directory:", "Windows System Directory:", "Database Version:",
              "Database Version Date:", "Total Physical Memory:", "Free Physical Memory:", "Total Page File:",
              "Available Page File:", "Processor Type:", "Operating System:", "Version:", "Build Number:"})
            QVERIFY2(captions.contains(caption), caption);

        // Centred in the work area.
        const QRect area = about.screen()->availableGeometry();
        const QRect frame = about.frameGeometry();
        QVERIFY(area.contains(frame));
        QVERIFY(qAbs(frame.center().x() - area.center().x()) <= 2);

        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        child<QPushButton>(about, "cmdOK")->click();
        QVERIFY(!about.isVisible());
    }

    void aboutWindowFollowsTheInternationalSettings() {
        TestEnvironment env;
        platform::IntlSettings intl;
        intl.sShortDate = "dd.MM.yyyy";
        intl.sDecimal = ",";
        AboutWindow about(env.workDirectory(), intl);
        QCOMPARE(about.valueOf("Database Version Date:"), QString("01.02.1996"));
        QCOMPARE(about.valueOf("Database Version:"), QString("3,00"));
        QCOMPARE(about.findChild<QLabel*>("lblVersion")->text(), QString("Version 2,95"));

        // From the Help menu: one window, brought forward when asked for again.
        AboutWindow* first = AboutWindow::showAbout(env.workDirectory(), intl);
        QCOMPARE(AboutWindow::showAbout(env.workDirectory(), intl), first);
        QVERIFY(first->isVisible());
        QPointer<AboutWindow> watch(first);
        child<QPushButton>(*first, "cmdOK")->click();
        QTRY_VERIFY(watch.isNull());
    }

    void welcomeFirstRunNextTipAndClose() {
        TestEnvironment env;
        ScriptedPrompter prompter;
        AppState app;
        readStartupSettings(app);
        {
            TipWindow tip(env.workDirectory(), app.iniFileName);
            QCOMPARE(tip.objectName(), QString("frmTip"));
            QCOMPARE(tip.windowTitle(), QString("Welcome"));
            QVERIFY(tip.isModal());
            const QList<Control> controls = {
                {"lblHeading", "QLabel", "Welcome to ZEK 2.95"},
                {"txtTip", "QTextEdit"},
                {"cmdNextTip", "QPushButton", "Next &Tip"},
                {"cmdClose", "QPushButton", "&Close"},
                {"chkShowWelcome", "QCheckBox", "&Show this Welcome Screen next time you start ZEK"},
            };
            QCOMPARE(controlMismatches(tip, controls).join("; "), QString());
            auto* check = child<QCheckBox>(tip, "chkShowWelcome");
            QVERIFY(check->isChecked());

            // The first-run tip, and "TipNew" written.
            QVERIFY(tip.tipText().startsWith("Quick Start.\n\nSelect Drive and folder (subdirectory); \n"));
            QVERIFY(tip.tipText().endsWith("Processing a whole drive can take some time!"));
            QCOMPARE(platform::getPrivateProfileString("Tip", "TipNew", "", app.iniFileName), QString("0"));

            // 200 twips below the middle of the screen.
            const QRect screen = tip.screen()->geometry();
            QCOMPARE(tip.frameGeometry().topLeft(),
                     centerOnScreen(screen, tip.frameGeometry().size(), 200, platform::twipsPerPixelX(),
                                    platform::twipsPerPixelY()));

            tip.show();
            QVERIFY(QTest::qWaitForWindowExposed(&tip));
            QStringList shown;
            auto* text = tip.findChild<QTextEdit*>("txtTip");
            for (int i = 0; i < 4; ++i) {
                child<QPushButton>(tip, "cmdNextTip")->click();
                shown << firstLine(tip.tipText());
                // Every tip fits on the panel.
                QCOMPARE(text->verticalScrollBar()->maximum(), 0);
            }
            QCOMPARE(shown, QStringList({"Create DEFAULT.ZEK.", "International Settings.", "Biggest files.",
                                         "Create DEFAULT.ZEK."}));

            check->setChecked(false);
            child<QPushButton>(tip, "cmdClose")->click();
            QVERIFY(!tip.isVisible());
        }
        QCOMPARE(platform::getPrivateProfileString("Tip", "Tipstart", "", app.iniFileName), QString("No"));
        readMainWindowSettings(app);
        QCOMPARE(app.tipStart, QString("NO")); // the next start shows no tip

        // Later openings: a random rotating tip; Escape keeps the check box's word too.
        {
            TipWindow tip(env.workDirectory(), app.iniFileName, [] { return 0.5; });
            QCOMPARE(firstLine(tip.tipText()), QString("International Settings."));
            tip.show();
            QVERIFY(QTest::qWaitForWindowExposed(&tip));
            QTest::keyClick(&tip, Qt::Key_Escape);
            QVERIFY(!tip.isVisible());
        }
        QCOMPARE(platform::getPrivateProfileString("Tip", "Tipstart", "", app.iniFileName), QString(" "));
        QVERIFY(prompter.messages.isEmpty());
    }

    void welcomeReportsABrokenTipDatabase() {
        TestEnvironment env;
        ScriptedPrompter prompter;
        QFile junk(env.workDirectory() + "/zek295i.mdb");
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not a database, only a few words of text that fill the file header");
        junk.close();
        TipWindow tip(env.workDirectory(), env.path("zek.ini"));
        QCOMPARE(prompter.messages.size(), 1);
        QVERIFY(prompter.messages[0].text.startsWith("Error # 3343 : "));
        QVERIFY(prompter.messages[0].text.endsWith(" occured when reading " + junk.fileName()));
        QCOMPARE(prompter.messages[0].title, QString("Welcome"));
        QCOMPARE(prompter.messages[0].style, platform::MbCritical);
        QVERIFY(tip.tipText().isEmpty());
        child<QPushButton>(tip, "cmdNextTip")->click();
        QCOMPARE(prompter.messages.size(), 2);
    }

    void topLevelWindowPlacedAndSaved() {
        TestEnvironment env;
        const QString ini = env.path("zek.ini");
        WindowPositionStrings positions;
        windowPositions(positions, "DEFAULTVALUES", ini);
        positions.setValue("ZEK_FORM", "1500 3000 4500 6000 0");

        QWidget main;
        placeWindow(&main, "ZEK_FORM", positions);
        using platform::Axis;
        using platform::twipsToPixels;
        QCOMPARE(main.pos(), QPoint(twipsToPixels(3000, Axis::X), twipsToPixels(1500, Axis::Y)));
        QCOMPARE(main.size(), QSize(twipsToPixels(6000, Axis::X), twipsToPixels(4500, Axis::Y)));
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QCOMPARE(WindowPlacement::find("ZEK_FORM")->mark(), QString("0"));

        // Moved by the user, then maximised: saved with its normal place and state 2.
        main.move(40, 60);
        main.resize(500, 350);
        main.showMaximized();
        QTRY_VERIFY(main.isMaximized());
        QVERIFY(windowPositions(positions, "SAVEVALUES", ini, &WindowPlacement::lookup));
        QCOMPARE(platform::getPrivateProfileString("Windowsposition", "ZekForm", "", ini),
                 QStringList({tw(60, Axis::Y), tw(40, Axis::X), tw(350, Axis::Y), tw(500, Axis::X), "2"})
                     .join(' '));
    }

    void childWindowSavedMinimisedOpensNormalAndSurvivesARestart() {
        TestEnvironment env;
        const QString ini = env.path("zek.ini");
        using platform::Axis;
        using platform::twipsToPixels;
        const QRect saved(twipsToPixels(600, Axis::X), twipsToPixels(300, Axis::Y),
                          twipsToPixels(6000, Axis::X), twipsToPixels(4500, Axis::Y));
        QRect moved;
        {
            WindowPositionStrings positions;
            windowPositions(positions, "DEFAULTVALUES", ini);
            positions.setValue("SETUP_DETAIL_FORM", "300 600 4500 6000 1");

            QMainWindow main;
            auto* area = new QMdiArea(&main);
            main.setCentralWidget(area);
            main.resize(900, 700);
            main.show();
            QVERIFY(QTest::qWaitForWindowExposed(&main));

            auto* form = new QWidget;
            form->setObjectName("frmdetail");
            QMdiSubWindow* sub = area->addSubWindow(form);
            // Loaded: only marked.
            WindowPlacement* placement = placeWindow(form, "SETUP_DETAIL_FORM", positions);
            QCOMPARE(placement->mark(), QString("1"));
            QCOMPARE(placement->frame(), sub);
            // Shown: its first resize places it, in the normal state, at its saved place.
            sub->show();
            QTRY_COMPARE(placement->mark(), QString("0"));
            QVERIFY(!sub->isMinimized());
            QCOMPARE(sub->geometry(), saved);

            // The user moves it and minimises it; Exit saves the restored place with state 1.
            sub->setGeometry(30, 45, 420, 310);
            moved = sub->geometry();
            sub->showMinimized();
            QTRY_VERIFY(sub->isMinimized());
            QVERIFY(windowPositions(positions, "SAVEVALUES", ini, &WindowPlacement::lookup));
            QVERIFY(!sub->isMinimized());
        }
        QVERIFY(
            platform::getPrivateProfileString("Windowsposition", "SetupDetailForm", "", ini).endsWith(" 1"));
        QCOMPARE(WindowPlacement::find("SETUP_DETAIL_FORM"), nullptr);

        // The next start: the same place again.
        WindowPositionStrings positions;
        windowPositions(positions, "DEFAULTVALUES", ini);
        windowPositions(positions, "LOADVALUES", ini);
        QMainWindow main;
        auto* area = new QMdiArea(&main);
        main.setCentralWidget(area);
        main.resize(900, 700);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        auto* form = new QWidget;
        QMdiSubWindow* sub = area->addSubWindow(form);
        placeWindow(form, "SETUP_DETAIL_FORM", positions);
        sub->show();
        QTRY_COMPARE(WindowPlacement::find("SETUP_DETAIL_FORM")->mark(), QString("0"));
        QCOMPARE(sub->geometry(), moved);
    }

    void screenshots() {
        const QString folder = qEnvironmentVariable("ZEK_SCREENSHOT_DIR");
        if (folder.isEmpty())
            QSKIP("ZEK_SCREENSHOT_DIR not set");
        TestEnvironment env;
        ScriptedPrompter prompter;
        platform::IntlSettings intl;
        // The folders of an ordinary user; the About window only reads them.
        qputenv("HOME", "/home/ann");
        qunsetenv("XDG_CONFIG_HOME");
        AboutWindow about("/home/ann/ZEK", intl);
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QVERIFY(about.grab().save(folder + "/screenshot-about.png"));
        TipWindow tip(env.workDirectory(), env.path("zek.ini"));
        tip.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tip));
        QVERIFY(tip.grab().save(folder + "/screenshot-welcome.png"));
        if (qEnvironmentVariableIsSet("ZEK_SCREENSHOT_ALL_TIPS")) {
            for (int i = 1; i <= 3; ++i) {
                child<QPushButton>(tip, "cmdNextTip")->click();
                QVERIFY(tip.grab().save(folder + QString("/welcome-tip%1.png").arg(i)));
            }
        }
    }
};

QTEST_MAIN(AboutTipTest)
#include "test_about_tip.moc"
