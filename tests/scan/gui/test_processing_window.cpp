// The processing window: its controls and texts, the capacity lines, the progress line, long paths,
// Cancel, and close requests refused while the scan runs.
#include "scan/capacity_text.h"
#include "scan/gui/processing_window.h"
#include "support/controls.h"
#include "support/walker_fixture.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

using namespace zek;
using namespace zek::test;

namespace {

QString labelText(QWidget* form, const char* name) {
    auto* label = form->findChild<QLabel*>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

ProcessingWindow* openForm() {
    return qobject_cast<ProcessingWindow*>(QApplication::activeModalWidget());
}

} // namespace

class TestProcessingWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void controlsAndCaption() {
        WalkerFixture f;
        ProcessingWindow form(f.scan, f.ws, platform::IntlSettings{});
        QCOMPARE(form.objectName(), QString("drivedirprocform"));
        QCOMPARE(form.windowTitle(), QString("Processing drive and directory selection"));
        QVERIFY(form.isModal());
        const QList<Control> controls = {
            {"Timer1", "QTimer"},          {"Command1", "QPushButton", "&Cancel"},
            {"Label3", "QLabel", "Path:"}, {"Label1", "QLabel", "File:"},
            {"drivedirpath", "QLabel"},    {"freecapacitycp", "QLabel"},
            {"freecapacityc", "QLabel"},   {"freecapacity", "QLabel"},
            {"totalcapacityc", "QLabel"},  {"totalcapacity", "QLabel"},
            {"drivedirfile", "QLabel"},    {"lblProgress", "QLabel"},
        };
        QCOMPARE(controlMismatches(form, controls).join("; "), QString());
        QVERIFY(child<QTimer>(form, "Timer1")->isSingleShot());
        // Loading shows the busy pointer and clears Cancel.
        QVERIFY(QApplication::overrideCursor());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        QVERIFY(!f.scan.scanCancel);
    }

    void capacityLines() {
        WalkerFixture f;
        platform::IntlSettings intl;
        intl.sThousand = ",";
        ProcessingWindow form(f.scan, f.ws, intl);
        scan::DriveCapacity capacity;
        capacity.totalBytes = 40'000'000;
        capacity.freeBytes = 10'000'000;
        capacity.known = true;
        form.showCapacity("/home", capacity);
        QCOMPARE(labelText(&form, "totalcapacity"), QString("Total capacity drive /home :"));
        QCOMPARE(labelText(&form, "totalcapacityc"), QString("40,000,000 Bytes."));
        QCOMPARE(labelText(&form, "freecapacity"), QString("Free capacity drive /home :"));
        QCOMPARE(labelText(&form, "freecapacityc"), QString("10,000,000 Bytes."));
        QCOMPARE(labelText(&form, "freecapacitycp"), QString("25 %"));

        intl.sThousand = ".";
        ProcessingWindow dotted(f.scan, f.ws, intl);
        dotted.showCapacity("/", scan::DriveCapacity{});
        QCOMPARE(labelText(&dotted, "totalcapacityc"), QString("0 Bytes."));
        QCOMPARE(labelText(&dotted, "freecapacitycp"), QString("n/a %"));
    }

    void labelsFollowAtPumpNotPerEntry() {
        WalkerFixture f;
        ProcessingWindow form(f.scan, f.ws, platform::IntlSettings{});
        form.showFolder("/data/");
        form.showEntry(u"one");
        form.showEntry(u"two");
        QCOMPARE(labelText(&form, "drivedirfile"), QString());
        form.pump();
        QCOMPARE(labelText(&form, "drivedirpath"), QString("/data/"));
        QCOMPARE(labelText(&form, "drivedirfile"), QString("two"));
    }

    void longPathLosesItsMiddle() {
        WalkerFixture f;
        ProcessingWindow form(f.scan, f.ws, platform::IntlSettings{});
        const QString head = "/start-of-the-path/";
        const QString tail = "/end-of-the-path/";
        const QString path = head + QString("middle/").repeated(60) + tail.mid(1);
        form.showFolder(path);
        form.showEntry(QString("name-").repeated(60) + "end.txt");
        form.pump();
        auto* label = form.findChild<QLabel*>("drivedirpath");
        const QString shown = label->text();
        QVERIFY2(shown.startsWith(head) && shown.endsWith(tail) && shown.contains(QChar(0x2026)),
                 qPrintable(shown));
        QVERIFY(label->fontMetrics().horizontalAdvance(shown) <= label->width());
        const QString file = labelText(&form, "drivedirfile");
        QVERIFY2(file.startsWith("name-") && file.endsWith("end.txt") && file.contains(QChar(0x2026)),
                 qPrintable(file));
    }

    void completedScanClosesByItself() {
        WalkerFixture f;
        const QString top = f.tree("done");
        for (int i = 0; i < 20; ++i)
            QVERIFY(makeFile(raw(top + QString("/f%1").arg(i))));
        f.choose({top});
        f.ws.database->execute("Delete * from filetype");
        bool sawWaiting = false;
        // Before the first tick the window is on screen and the scan has not begun.
        QTimer::singleShot(0, [&] {
            ProcessingWindow* form = openForm();
            sawWaiting = form && form->isVisible() && !form->isScanning() && f.scan.counters.entries == 0;
        });
        const scan::ScanOutcome outcome = ProcessingWindow::runScan(f.scan, f.ws, platform::IntlSettings{});
        QVERIFY(sawWaiting);
        QCOMPARE(outcome, scan::ScanOutcome::Completed);
        QCOMPARE(f.ws.scanResult, 0);
        QCOMPARE(f.records().size(), 20);
        QVERIFY(!QApplication::overrideCursor()); // the busy pointer is gone
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(f.prompter.messages.isEmpty());
    }

    void closeRefusedWhileScanningAndCancelStops() {
        WalkerFixture f;
        const QString top = f.tree("cancel");
        for (int d = 0; d < 20; ++d) {
            const QString sub = top + QString("/folder %1").arg(d);
            QVERIFY(makeFolder(raw(sub)));
            for (int i = 0; i < 50; ++i)
                QVERIFY(makeFile(raw(sub + QString("/file %1").arg(i))));
        }
        f.choose({top});
        f.ws.database->execute("Delete * from filetype");

        bool refusedWhileWaiting = false, refusedWhileScanning = false, escapeRefused = false;
        QString pathShown, progressShown;
        qint64 entriesAtProbe = 0;
        QTimer::singleShot(0, [&] {
            ProcessingWindow* form = openForm();
            refusedWhileWaiting = form && !form->close() && form->isVisible();
        });
        // Runs at every pump of the scan until it has seen the window scanning.
        QTimer probe;
        probe.setInterval(0);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            ProcessingWindow* form = openForm();
            if (!form || !form->isScanning() || f.scan.counters.entries < 100)
                return;
            probe.stop();
            refusedWhileScanning = !form->close() && form->isVisible();
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(form, &escape);
            escapeRefused = form->isVisible();
            pathShown = labelText(form, "drivedirpath");
            progressShown = labelText(form, "lblProgress");
            entriesAtProbe = f.scan.counters.entries;
            // ZEK_SCREENSHOT=<file.png> keeps a picture of the window in mid-scan.
            if (const QString shot = qEnvironmentVariable("ZEK_SCREENSHOT"); !shot.isEmpty())
                form->grab().save(shot);
            QTest::mouseClick(form->findChild<QPushButton*>("Command1"), Qt::LeftButton);
        });
        probe.start();
        scan::ScanPacing pacing;
        pacing.pumpInterval = 0; // a pump after every entry, so the probe runs mid-scan
        const scan::ScanOutcome outcome =
            ProcessingWindow::runScan(f.scan, f.ws, platform::IntlSettings{}, nullptr, pacing);

        QVERIFY(refusedWhileWaiting);
        QVERIFY(refusedWhileScanning);
        QVERIFY(escapeRefused);
        // A long path is shortened in its middle; its end names the folder being read.
        QVERIFY2(QRegularExpression("/cancel/(folder \\d+/)?$").match(pathShown).hasMatch(),
                 qPrintable(pathShown));
        // The counts of the last pump, and the rate once the scan has run a tenth of a second.
        QVERIFY2(progressShown.startsWith(scan::formatWholeNumber(entriesAtProbe, ",") + " entries in "),
                 qPrintable(progressShown));
        QVERIFY2(QRegularExpression("^[\\d,]+ entries in \\d+ folders?(, [\\d,]+ entr(y|ies) per second)?$")
                     .match(progressShown)
                     .hasMatch(),
                 qPrintable(progressShown));
        QCOMPARE(outcome, scan::ScanOutcome::Cancelled);
        QCOMPARE(f.ws.scanResult, work::NoCompletedScan);
        const qsizetype written = f.records().size();
        QCOMPARE(written, f.scan.counters.entries);
        QVERIFY(written >= 100 && written < 20 + 20 * 50);
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(!QApplication::activeModalWidget());
    }

    void cancelHeardAmongEmptyFolders() {
        // The last level of a wide tree: hundreds of empty folders in a row, no entry between them.
        WalkerFixture f;
        const QString top = f.tree("empty");
        QVERIFY(makeFolder(raw(top + "/level")));
        constexpr int EmptyFolders = 400;
        for (int d = 0; d < EmptyFolders; ++d)
            QVERIFY(makeFolder(raw(top + QString("/level/empty %1").arg(d))));
        f.choose({top});
        f.ws.database->execute("Delete * from filetype");

        // Once every entry is recorded, only folders pass; Cancel is pressed then.
        qint64 foldersAtCancel = -1;
        QTimer probe;
        probe.setInterval(0);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            ProcessingWindow* form = openForm();
            if (!form || !form->isScanning() || f.scan.counters.entries < 1 + EmptyFolders ||
                f.scan.counters.folders < 3)
                return;
            probe.stop();
            foldersAtCancel = f.scan.counters.folders;
            QTest::mouseClick(form->findChild<QPushButton*>("Command1"), Qt::LeftButton);
        });
        probe.start();
        scan::ScanPacing pacing;
        pacing.pumpInterval = 0;
        pacing.readAhead = false; // every folder ready at once: the walker never waits for the reader
        const scan::ScanOutcome outcome =
            ProcessingWindow::runScan(f.scan, f.ws, platform::IntlSettings{}, nullptr, pacing);
        QVERIFY2(foldersAtCancel > 0, "no event ran while the empty folders were walked");
        QCOMPARE(outcome, scan::ScanOutcome::Cancelled);
        QVERIFY(f.scan.counters.folders < 2 + EmptyFolders);
        QCOMPARE(f.records().size(), 1 + EmptyFolders);
    }

    void failedScanIsReported() {
        WalkerFixture f;
        f.choose({f.tree("nodb")});
        work::closeWorkFile(f.ws);
        const scan::ScanOutcome outcome = ProcessingWindow::runScan(f.scan, f.ws, platform::IntlSettings{});
        QCOMPARE(outcome, scan::ScanOutcome::Failed);
        QCOMPARE(f.prompter.messages.size(), 1);
        QCOMPARE(f.prompter.messages.first().text,
                 QString("Error # 3420 : Object invalid or no longer set. occured when scanning."));
        QCOMPARE(f.prompter.messages.first().style, platform::MbOkOnly + platform::MbCritical);
    }

    void skippedFoldersAreReported() {
        WalkerFixture f;
        const QString there = f.tree("there");
        f.ws.settings.folders.append(there, scan::shortFormOfFolder(raw(there)));
        f.ws.settings.folders.append(f.env.path("tree/gone"), "/GONE");
        f.ws.database->execute("Delete * from filetype");
        QCOMPARE(ProcessingWindow::runScan(f.scan, f.ws, platform::IntlSettings{}),
                 scan::ScanOutcome::Completed);
        QCOMPARE(f.prompter.messages.size(), 1);
        const QString text = f.prompter.messages.first().text;
        QVERIFY(text.startsWith("1 folders and 0 entries could not be read and were skipped."));
        QVERIFY(text.contains(f.env.path("tree/gone")));
    }
};

QTEST_MAIN(TestProcessingWindow)
#include "test_processing_window.moc"
