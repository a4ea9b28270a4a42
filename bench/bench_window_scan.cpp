// The window program's scan, offscreen, measured: the real start-up, main window and Path Selection
// window, the folder added to the folder list and Start clicked as a user does, while a watcher
// records how often the processing window paints, how late the event loop turns, the memory in use
// at every tenth of the entries, and, when asked, how fast Cancel stops the scan. After a completed
// scan the work file is saved (Save As), opened again (Open), its reports built from the loaded
// records (Historic) and saved once more, each step timed.
//
//   bench_window_scan --tree DIR [--root DIR] [--entries N] [--cancel-after-ms MS] [--scan-only]
//                     [--open FILE] [--save-as FILE]
//
// --root keeps the program's home, settings and work directory in DIR across runs (the kill test
// uses it); without it they live in a temporary folder. --entries is the tree's size, for the memory
// samples (counted when left out). --scan-only stops after the scan (and its reports) and --save-as
// then saves the work file to FILE. --open opens FILE through File > Open and then starts a new work
// file (File > New) for the scan.
// The last line is "result outcome=... entries=... scan_ms=..." for scripts.
#include "app/gui/main_window.h"
#include "app/gui/start_window.h"
#include "platform/host_paths.h"
#include "platform/profile.h"
#include "scan/folder_add_check.h"
#include "support/laptop_screen.h"
#include "support/scripted_prompter.h"
#include "support/window_scan_watch.h"
#include "work/work_file.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <memory>
#include <sys/resource.h>

using namespace zek;

namespace {

struct Options {
    QString tree;
    QString root;
    QString open;
    QString saveAs;
    qint64 entries = 0;
    qint64 cancelAfterMs = -1;
    bool scanOnly = false;
};

void usage() {
    std::fprintf(stderr,
                 "usage: bench_window_scan --tree DIR [--root DIR] [--entries N] [--cancel-after-ms MS]\n"
                 "                         [--scan-only] [--open FILE] [--save-as FILE]\n");
}

bool parse(const QStringList& args, Options& o) {
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--scan-only")
            o.scanOnly = true;
        else if (a == "--tree" && hasValue)
            o.tree = QFileInfo(args[++i]).absoluteFilePath();
        else if (a == "--root" && hasValue)
            o.root = QFileInfo(args[++i]).absoluteFilePath();
        else if (a == "--open" && hasValue)
            o.open = QFileInfo(args[++i]).absoluteFilePath();
        else if (a == "--save-as" && hasValue)
            o.saveAs = QFileInfo(args[++i]).absoluteFilePath();
        else if (a == "--entries" && hasValue)
            o.entries = args[++i].toLongLong();
        else if (a == "--cancel-after-ms" && hasValue)
            o.cancelAfterMs = args[++i].toLongLong();
        else
            return false;
    }
    return !o.tree.isEmpty() && QFileInfo(o.tree).isDir();
}

// Points HOME and the configuration, data and runtime folders into `root`, which outlives the run.
void useHome(const QString& root) {
    const char* const variables[4] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"};
    const QString folders[4] = {"home", "home/.config", "home/.local/share", "run"};
    for (int i = 0; i < 4; ++i) {
        const QString folder = QDir(root).filePath(folders[i]);
        QDir().mkpath(folder);
        QFile::setPermissions(folder,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv(variables[i], QFile::encodeName(folder));
    }
    QDir().mkpath(QDir(root).filePath("work"));
}

qint64 countEntries(const QString& tree) {
    qint64 n = 0;
    QDirIterator it(tree, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        ++n;
    }
    return n;
}

qint64 maxRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void say(const QString& line) {
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// Every message box shown since the last call, as the user would have read it.
void reportMessages(test::ScriptedPrompter& prompter, const char* step) {
    for (const test::ShownMessage& m : prompter.messages)
        say(QStringLiteral("  [%1] message: %2")
                .arg(QLatin1String(step), QString(m.text).replace("\r\n", " | ")));
    prompter.messages.clear();
}

// The program, started on the work directory "<root>/work".
class Program {
public:
    test::ScriptedPrompter prompter;
    std::unique_ptr<AppState> app;
    std::unique_ptr<StartWindow> start;

    MainWindow* main() const { return start ? start->mainWindow() : nullptr; }
    QAction* action(const char* name) const { return main()->findChild<QAction*>(QLatin1String(name)); }

    bool run(const QString& root) {
        const QString ini = platform::settingsFileName();
        if (!platform::writePrivateProfileString("Global", "DefaultDirectory", QDir(root).filePath("work"),
                                                 ini) ||
            !platform::writePrivateProfileString("Tip", "Tipstart", "NO", ini))
            return false;
        app = std::make_unique<AppState>();
        start = std::make_unique<StartWindow>(*app);
        start->setAssociationCaches(platform::CacheUpdate::Skip);
        start->show();
        if (!QTest::qWaitFor(
                [this] {
                    return start->hasFinished() || (main() && main()->status() == "ZEK 32-bit version");
                },
                60'000) ||
            !main())
            return false;
        QApplication::setActiveWindow(main());
        return QTest::qWaitForWindowActive(main());
    }

    QString reportsShown() const {
        return QStringLiteral("Detail %1, Summary %2")
            .arg(QLatin1String(app->detailReport.isAvailable() ? "built" : "not built"),
                 QLatin1String(app->summaryReport.isAvailable() ? "built" : "not built"));
    }

    ~Program() {
        if (main() && !main()->hasEnded()) {
            prompter.messageAnswers = {platform::IdNo, platform::IdNo};
            main()->close();
        }
        start.reset();
        app.reset();
    }
};

bool saveAs(Program& p, const QString& target) {
    work::removeDatabaseFile(target);
    p.prompter.saveAnswers = {target};
    p.action("Menu_File_SaveAs")->trigger();
    return p.app->work.activeFileName == target && QFileInfo::exists(target);
}

// File > Open of `file`, the offer of reports from its records declined.
bool openFile(Program& p, const QString& file) {
    p.prompter.openAnswers = {file};
    p.prompter.messageAnswers = {platform::IdNo, platform::IdNo};
    p.action("Menu_File_Open")->trigger();
    return p.app->work.activeFileName == file;
}

QString seconds(qint64 ms) {
    return QString::number(static_cast<double>(ms) / 1000.0, 'f', 2) + " s";
}

// The offscreen platform warns on every window it shows; the figures would drown in it.
void quietOffscreenWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.contains(QLatin1String("does not support propagateSizeHints")))
        return;
    fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

} // namespace

int main(int argc, char** argv) {
    qInstallMessageHandler(quietOffscreenWarnings);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir screenConfig;
    test::useLaptopScreen(screenConfig);
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    Options o;
    if (!parse(args, o)) {
        usage();
        return 2;
    }
    QTemporaryDir tempRoot;
    const QString root = o.root.isEmpty() ? tempRoot.path() : o.root;
    // Before the application, which reads the runtime folder.
    useHome(root);
    QApplication application(argc, argv);
    if (o.entries <= 0)
        o.entries = countEntries(o.tree);

    Program p;
    QElapsedTimer clock;
    clock.start();
    if (!p.run(root)) {
        reportMessages(p.prompter, "start");
        say("the program did not start");
        return 1;
    }
    say(QStringLiteral("start-up: %1, resident %2 MiB")
            .arg(seconds(clock.elapsed()))
            .arg(test::residentKiB() / 1024));
    reportMessages(p.prompter, "start");

    if (!o.open.isEmpty()) {
        clock.restart();
        const bool opened = openFile(p, o.open);
        say(QStringLiteral("open %1: %2 (%3)")
                .arg(o.open, opened ? "opened" : "FAILED", seconds(clock.elapsed())));
        reportMessages(p.prompter, "open");
        if (!opened)
            return 1;
        // A file that was never saved by the program (a working copy a kill left) holds no report
        // settings; the scan starts from a new work file, as after a restart.
        p.prompter.messageAnswers = {platform::IdNo, platform::IdNo};
        p.action("Menu_File_New")->trigger();
        reportMessages(p.prompter, "new");
    }

    // The folder, as Add puts it into the list, unless the list holds it already.
    FolderList& folders = p.app->work.settings.folders;
    if (!folders.longForms.contains(o.tree)) {
        folders.append(o.tree, scan::shortFormOfFolder(QFile::encodeName(o.tree)));
        Q_EMIT p.app->work.events.settingsReloaded();
    }

    test::WindowScanWatch::Options watchOptions;
    watchOptions.cancelAfterMs = o.cancelAfterMs;
    watchOptions.expectedEntries = o.entries;
    test::WindowScanWatch watch(p.app->scan, watchOptions);
    auto* startButton = p.main()->findChild<QPushButton*>(QStringLiteral("drivedirstart"));
    if (!startButton || !startButton->isEnabled()) {
        say("Start is not there or not enabled");
        return 1;
    }
    const qint64 rssBefore = test::residentKiB();
    p.prompter.messageAnswers.clear();
    clock.restart();
    // The reports follow a completed scan inside the same click.
    startButton->click();
    const bool completed = watch.finished && watch.outcome == scan::ScanOutcome::Completed;
    const qint64 startMs = clock.elapsed();
    QCoreApplication::processEvents();
    const qint64 entries = p.app->scan.counters.entries;
    const char* outcome = !watch.finished                                 ? "noscan"
                          : completed                                     ? "completed"
                          : watch.outcome == scan::ScanOutcome::Cancelled ? "cancelled"
                                                                          : "failed";

    say(QStringLiteral("scan: %1, %2 entries in %3 folders, %4 (%5 entries/s)")
            .arg(seconds(watch.scanMs))
            .arg(entries)
            .arg(p.app->scan.counters.folders)
            .arg(QLatin1String(outcome))
            .arg(watch.scanMs > 0 ? entries * 1000 / watch.scanMs : 0));
    say(QStringLiteral("event loop turns: %1, gap max %2 ms, 99th percentile %3 ms, median %4 ms")
            .arg(watch.turnGapsMs.size())
            .arg(watch.maxTurnGapMs())
            .arg(test::percentile(watch.turnGapsMs, 0.99))
            .arg(test::percentile(watch.turnGapsMs, 0.5)));
    say(QStringLiteral("the same in the main thread's processor time: max %1 ms, 99th percentile %2 ms")
            .arg(test::percentile(watch.turnGapsCpuMs, 1.0))
            .arg(test::percentile(watch.turnGapsCpuMs, 0.99)));
    say(QStringLiteral("processing window paints: %1, gap max %2 ms, 99th percentile %3 ms, median %4 ms")
            .arg(watch.paintBatches)
            .arg(watch.maxPaintGapMs())
            .arg(test::percentile(watch.paintGapsMs, 0.99))
            .arg(test::percentile(watch.paintGapsMs, 0.5)));
    QStringList gaps;
    for (const test::WindowScanWatch::Gap& g : watch.longGaps)
        gaps << QStringLiteral("%1 ms (%2 ms run) at %3").arg(g.ms).arg(g.cpuMs).arg(g.entries);
    say(QStringLiteral("gaps of 100 ms and more: %1")
            .arg(gaps.isEmpty() ? QStringLiteral("none") : gaps.join(", ")));
    QStringList samples;
    for (const test::WindowScanWatch::RssSample& s : watch.rss)
        samples << QStringLiteral("%1 entries: %2 MiB (%3 folders queued)")
                       .arg(s.entries)
                       .arg(s.kib / 1024)
                       .arg(s.foldersWaiting);
    say(QStringLiteral("resident before the scan %1 MiB; during it: %2")
            .arg(rssBefore / 1024)
            .arg(samples.join(", ")));
    if (watch.cancelLatencyMs >= 0)
        say(QStringLiteral(
                "cancel: clicked at %1 entries, the scan stopped %2 ms later with %3 entries recorded")
                .arg(watch.entriesAtCancel)
                .arg(watch.cancelLatencyMs)
                .arg(entries));
    if (completed)
        say(QStringLiteral("Start (scan and reports): %1; the reports: %2 (%3)")
                .arg(seconds(startMs), seconds(startMs - watch.scanMs), p.reportsShown()));
    reportMessages(p.prompter, "start");

    bool ok = watch.sawWindow;
    if (completed && !o.saveAs.isEmpty()) {
        clock.restart();
        ok = saveAs(p, o.saveAs) && ok;
        say(QStringLiteral("save as %1: %2").arg(o.saveAs, seconds(clock.elapsed())));
        reportMessages(p.prompter, "save as");
    }
    if (completed && !o.scanOnly) {
        // The saved file opened again, its reports built from the loaded records, saved once more.
        const QString first = QDir(root).filePath("inventory.zek");
        const QString second = QDir(root).filePath("inventory-again.zek");
        clock.restart();
        ok = saveAs(p, first) && ok;
        say(QStringLiteral("save as: %1, %2 MiB")
                .arg(seconds(clock.elapsed()))
                .arg(QFileInfo(first).size() >> 20));
        p.prompter.messageAnswers = {platform::IdNo, platform::IdNo};
        p.action("Menu_File_New")->trigger();
        reportMessages(p.prompter, "new");
        clock.restart();
        ok = openFile(p, first) && ok;
        say(QStringLiteral("open: %1").arg(seconds(clock.elapsed())));
        reportMessages(p.prompter, "open");
        clock.restart();
        p.prompter.messageAnswers = {platform::IdYes};
        p.main()->findChild<QPushButton*>(QStringLiteral("historic"))->click();
        say(QStringLiteral("select (statement and reports from the loaded records): %1 (%2)")
                .arg(seconds(clock.elapsed()), p.reportsShown()));
        reportMessages(p.prompter, "historic");
        clock.restart();
        ok = saveAs(p, second) && ok;
        say(QStringLiteral("save as again: %1").arg(seconds(clock.elapsed())));
        reportMessages(p.prompter, "save as");
    }
    say(QStringLiteral("peak resident (ru_maxrss): %1 MiB").arg(maxRssKiB() / 1024));
    say(QStringLiteral("result outcome=%1 entries=%2 scan_ms=%3 cancel_ms=%4 max_gap_ms=%5 peak_kib=%6")
            .arg(QLatin1String(outcome))
            .arg(entries)
            .arg(watch.scanMs)
            .arg(watch.cancelLatencyMs)
            .arg(watch.maxTurnGapMs())
            .arg(maxRssKiB()));
    return ok ? 0 : 1;
}
