// From a real start-up to both reports: a tree scanned with Start shows the Detail and Summary viewers
// on their first page, and the work file saved and opened again shows the same reports.
#include "report/gui/report_viewer_window.h"
#include "scan/folder_add_check.h"
#include "support/laptop_screen.h"
#include "support/program_session.h"
#include "support/scripted_prompter.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QPushButton>
#include <QTableWidget>

#include <memory>

using namespace zek;

namespace {

void writeFile(const QString& path, int bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(bytes, 'x'));
}

// The texts of a viewer's grid, row by row, its empty rows left out.
QList<QStringList> gridTexts(const QTableWidget* grid) {
    QList<QStringList> rows;
    for (int r = 0; r < grid->rowCount(); ++r) {
        QStringList cells;
        bool empty = true;
        for (int c = 0; c < grid->columnCount(); ++c) {
            const QTableWidgetItem* item = grid->item(r, c);
            cells.append(item ? item->text() : QString());
            empty = empty && cells.last().isEmpty();
        }
        if (!empty)
            rows.append(cells);
    }
    return rows;
}

} // namespace

class TestReportsFlow : public QObject {
    Q_OBJECT

    std::unique_ptr<test::ProgramSession> session;
    test::ScriptedPrompter* prompter = nullptr;
    AppState* app = nullptr;

    MainWindow* main() const { return session->main(); }
    ReportViewerWindow* viewer(const char* name) const {
        return main()->findChild<ReportViewerWindow*>(name);
    }

private Q_SLOTS:
    void init() {
        session = std::make_unique<test::ProgramSession>();
        prompter = session->prompter.get();
        QVERIFY(session->startProgram());
        app = session->app.get();
    }

    void cleanup() { session.reset(); }

    void startShowsBothReportsAndOpenShowsThemAgain() {
        // A folder with two files and a subfolder B with four.
        const QString tree = session->env->path("tree");
        QVERIFY(QDir().mkpath(tree + "/A/B"));
        writeFile(tree + "/A/one.txt", 60);
        writeFile(tree + "/A/two.txt", 40);
        for (int i = 0; i < 4; ++i)
            writeFile(tree + QString("/A/B/f%1.dat").arg(i), 10 * (i + 1));
        app->work.settings.folders.append(tree, scan::shortFormOfFolder(QFile::encodeName(tree)));
        Q_EMIT app->work.events.settingsReloaded();

        // A close request while the reports are built is refused: the builder holds the work file.
        bool closedDuringBuild = true;
        QObject::connect(&app->detailReport, &report::ReportEngine::created, main(),
                         [&] { closedDuringBuild = main()->close(); });
        auto* startButton = main()->findChild<QPushButton*>("drivedirstart");
        QVERIFY(startButton && startButton->isEnabled());
        startButton->click();
        QTRY_VERIFY(viewer("RptForm") && viewer("SRptForm"));
        QVERIFY(app->detailReport.isAvailable() && app->summaryReport.isAvailable());
        QVERIFY(!closedDuringBuild);
        QVERIFY(!main()->hasEnded());
        QVERIFY(main()->findChild<QAction*>("Menu_File_Print")->isEnabled());

        // Detail: one row per entry (the folders A and B and six files), numbered in selection order.
        const QList<QStringList> detail = gridTexts(viewer("RptForm")->grid());
        QCOMPARE(detail.size(), 8);
        for (int r = 0; r < detail.size(); ++r)
            QCOMPARE(detail[r][0], QString::number(r + 1));
        QCOMPARE(viewer("RptForm")->parentWidget()->windowTitle(), QString("Detail Report - (Page 1 of 1)"));

        // Summary: one row per folder, B's figures inside A's.
        const QList<QStringList> summary = gridTexts(viewer("SRptForm")->grid());
        QCOMPARE(summary.size(), 3);
        QCOMPARE(viewer("SRptForm")->parentWidget()->windowTitle(),
                 QString("Summary Report - (Page 1 of 1)"));

        // Saved and opened again: the offer to build from the loaded file (answered Yes) shows the
        // same pages.
        const QString saved = session->env->path("inventory.zek");
        prompter->saveAnswers = {saved};
        main()->findChild<QAction*>("Menu_File_SaveAs")->trigger();
        QCOMPARE(app->work.activeFileName, saved);
        main()->findChild<QAction*>("Menu_File_New")->trigger();
        QVERIFY(!viewer("RptForm") && !viewer("SRptForm"));
        prompter->clear();
        prompter->openAnswers = {saved};
        prompter->messageAnswers = {platform::IdYes};
        main()->findChild<QAction*>("Menu_File_Open")->trigger();
        QVERIFY(
            prompter->texts().contains("Create a report based on the information of the loaded database ?"));
        QTRY_VERIFY(viewer("RptForm") && viewer("SRptForm"));
        QCOMPARE(gridTexts(viewer("RptForm")->grid()), detail);
        QCOMPARE(gridTexts(viewer("SRptForm")->grid()), summary);

        // Run with ZEK_SCREENSHOT_DIR=<dir> to picture both viewers.
        const QString dir = qEnvironmentVariable("ZEK_SCREENSHOT_DIR");
        if (!dir.isEmpty()) {
            main()->resize(1300, 740);
            QCoreApplication::processEvents();
            QVERIFY(main()->grab().save(dir + "/reports.png"));
            QVERIFY(viewer("RptForm")->parentWidget()->grab().save(dir + "/detail_viewer.png"));
            QVERIFY(viewer("SRptForm")->parentWidget()->grab().save(dir + "/summary_viewer.png"));
        }
    }
};

ZEK_TEST_MAIN_ON_LAPTOP_SCREEN(TestReportsFlow)
#include "test_reports_flow.moc"
