// The report viewers in the main window: created and placed with their report, showing its page,
// following its sort status, and gone with it; the print items follow the reports.
#include "app/gui/main_window.h"
#include "platform/twips.h"
#include "report/gui/report_printer.h"
#include "report/gui/report_viewer_window.h"
#include "support/report_tables.h"
#include "support/scripted_prompter.h"
#include "support/test_env.h"
#include "work/work_file.h"

#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPrinterInfo>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

using namespace zek;
using report::ReportEngine;

namespace {

int heightFor(int rowsPerPage) {
    return report::PageMargins + report::HeaderHeight + rowsPerPage * (report::RowPitch + report::RuleHeight);
}

struct Session {
    test::TestEnvironment env;
    test::ScriptedPrompter prompter;
    AppState app;
    std::unique_ptr<MainWindow> main;

    Session() {
        app.work.workDirectory = env.workDirectory();
        main = std::make_unique<MainWindow>(app);
        main->resize(1000, 700);
        main->show();
        QString name;
        work::openWorkFile(app.work, "INIT", name);
    }
    ~Session() {
        main.reset();
        work::closeWorkFile(app.work);
    }

    bool printEnabled() const {
        const auto* menu = main->findChild<QMenu*>("Menu_File_Print");
        const auto* button = main->findChild<QAction*>("print");
        if (menu->menuAction()->isEnabled() != button->isEnabled())
            qFatal("the Print menu and the print button disagree");
        return button->isEnabled();
    }
    ReportViewerWindow* viewer(const QString& name) const {
        return main->mdiArea()->findChild<ReportViewerWindow*>(name);
    }
    QMdiSubWindow* subWindow(const QString& name) const {
        ReportViewerWindow* window = viewer(name);
        return window ? qobject_cast<QMdiSubWindow*>(window->parentWidget()) : nullptr;
    }
    QAction* action(const QString& name) const { return main->findChild<QAction*>(name); }
    // Edit > Copy, its two items and the toolbar's "copy" go together.
    bool copyEnabled() const {
        const bool menu = main->findChild<QMenu*>("Menu_Edit_Copy")->menuAction()->isEnabled();
        for (const char* name : {"Menu_Edit_Copy_Selection", "Menu_Edit_Copy_Page", "copy"}) {
            if (action(name)->isEnabled() != menu)
                qFatal("%s disagrees with Edit > Copy", name);
        }
        return menu;
    }
    // Another child window, neither viewer.
    QMdiSubWindow* otherWindow() {
        auto* other = new QWidget;
        other->setObjectName("other");
        other->resize(200, 100);
        QMdiSubWindow* sub = main->mdiArea()->addSubWindow(other);
        other->show();
        return sub;
    }

    // A Summary report of one column and no rows.
    void summaryReport() {
        ReportEngine& r = app.summaryReport;
        r.pageHeight = [] { return heightFor(3); };
        QCOMPARE(r.rptCreate("Summary Report", 0, 1, 1, 0, 0, "", "", "", ""), 0);
    }

    // A Detail report of five files, `perPage` to a page, on page `page`.
    void detailReport(int page, int perPage = 3) {
        test::writeDetailTable(app.work, {"LONGNAME", "SIZE", "LONGPATH"},
                               {{"alpha.txt", "1,024", "/home/anna"},
                                {"beta.doc", "30,720", "/home/anna/letters"},
                                {"gamma.png", "2,048,000", "/home/anna/photos"},
                                {"delta", QVariant(), "/home/anna"},
                                {"epsilon.tar.gz", "512", "/srv/backup"}});
        ReportEngine& r = app.detailReport;
        r.pageHeight = [perPage] { return heightFor(perPage); };
        QCOMPARE(r.rptCreate("Detail Report", 0, 3, 5, 0, 0, "File inventory", "of the home folder",
                             "Sizes in bytes", "ZEK"),
                 0);
        r.rptDefineColumn(1, report::TextType, "Name", 2400, 0, "@", true);
        r.rptDefineColumn(2, report::TextType, "Size", 1400, 1, "#,##0", true);
        r.rptDefineColumn(3, report::TextType, "Path", 3000, 0, "@", false);
        r.rptNewPage(page);
    }
};

QStringList gridColumn(const QTableWidget& grid, int column) {
    QStringList texts;
    for (int r = 0; r < grid.rowCount(); ++r)
        texts.append(grid.item(r, column) ? grid.item(r, column)->text() : QString());
    return texts;
}

} // namespace

class ReportViewerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void viewerShowsThePage() {
        Session s;
        QVERIFY(!s.printEnabled());
        QVERIFY(!s.viewer("RptForm"));
        s.detailReport(2);

        ReportViewerWindow* viewer = s.viewer("RptForm");
        QVERIFY(viewer);
        QVERIFY(s.printEnabled());
        QCOMPARE(viewer->windowTitle(), "Detail Report - (Page 2 of 2)");
        auto* sub = qobject_cast<QMdiSubWindow*>(viewer->parentWidget());
        QVERIFY(sub);
        QCOMPARE(sub->windowTitle(), "Detail Report - (Page 2 of 2)");

        const QTableWidget* grid = viewer->findChild<QTableWidget*>("Grid1");
        QVERIFY(grid);
        QCOMPARE(grid->columnCount(), 3);
        QCOMPARE(grid->rowCount(), 3);
        QCOMPARE(grid->horizontalHeaderItem(0)->text(), "Name");
        QCOMPARE(grid->horizontalHeaderItem(2)->text(), "Path");
        QCOMPARE(gridColumn(*grid, 0), (QStringList{"delta", "epsilon.tar.gz", ""}));
        QCOMPARE(gridColumn(*grid, 1), (QStringList{"", "512", ""}));
        QCOMPARE(grid->columnWidth(2), platform::twipsToPixels(3000, platform::Axis::X));
        QCOMPARE(grid->item(1, 1)->textAlignment(), int(Qt::AlignRight | Qt::AlignVCenter));
        QCOMPARE(grid->horizontalHeader()->height(), platform::twipsToPixels(600, platform::Axis::Y));
        QCOMPARE(viewer->findChild<QLabel*>("LAB_title1")->text(), "File inventory");
        QCOMPARE(viewer->findChild<QLabel*>("LAB_footnote2")->text(), "ZEK");
        QVERIFY(!viewer->findChild<QLineEdit*>("TXT_status")->isVisible());

        s.app.detailReport.rptNewPage(1);
        QCOMPARE(gridColumn(*grid, 2),
                 (QStringList{"/home/anna", "/home/anna/letters", "/home/anna/photos"}));
        QCOMPARE(sub->windowTitle(), "Detail Report - (Page 1 of 2)");
        QVERIFY(s.prompter.messages.isEmpty());

        s.app.detailReport.rptClose();
        QVERIFY(!s.printEnabled());
        QVERIFY(!s.viewer("RptForm"));
        QVERIFY(s.main->mdiArea()->subWindowList().isEmpty());
    }

    // The navigation bar pages the report and names the page in the page box; a page typed there
    // and Enter shows it, or says why not.
    void navigationBarAndPageBox() {
        Session s;
        s.detailReport(1, 2); // five rows, two a page: three pages
        ReportViewerWindow* viewer = s.viewer("RptForm");
        auto click = [viewer](const char* name) { viewer->findChild<QToolButton*>(name)->click(); };
        auto* box = viewer->findChild<QLineEdit*>("PAGINANR");

        click("Data1_next");
        QCOMPARE(s.app.detailReport.currentPage(), 2);
        QCOMPARE(box->text(), "2");
        click("Data1_last");
        QCOMPARE(s.app.detailReport.currentPage(), 3);
        QCOMPARE(gridColumn(*viewer->grid(), 0), (QStringList{"epsilon.tar.gz", ""}));
        click("Data1_next"); // not possible: a beep, nothing else
        QCOMPARE(s.app.detailReport.currentPage(), 3);
        click("Data1_first");
        QCOMPARE(s.app.detailReport.currentPage(), 1);
        click("Data1_previous");
        QCOMPARE(box->text(), "1");

        box->setText("3");
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(s.app.detailReport.currentPage(), 3);
        box->setText("4");
        QTest::keyClick(box, Qt::Key_Return);
        box->setText("x");
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(s.prompter.texts(), QStringList({"Please specify a page number between 1 and 3.",
                                                  "Invalid page number entered."}));
        QCOMPARE(s.prompter.messages.at(0).title, QString("ZEK"));
        QCOMPARE(s.app.detailReport.currentPage(), 3);
    }

    // PageUp and PageDown page like the bar's previous and next, beep at the ends, and leave the
    // page box as the user typed it.
    void pageKeys() {
        Session s;
        s.detailReport(1, 2); // three pages
        ReportViewerWindow* viewer = s.viewer("RptForm");
        auto* box = viewer->findChild<QLineEdit*>("PAGINANR");
        box->setText("1");
        QVERIFY(QTest::qWaitForWindowActive(s.main.get()));
        s.main->mdiArea()->setActiveSubWindow(s.subWindow("RptForm"));

        const struct {
            QWidget* target;
            Qt::Key key;
            int page;
        } steps[] = {
            {viewer->grid(), Qt::Key_PageDown, 2},
            {viewer->grid(), Qt::Key_PageDown, 3},
            {viewer->grid(), Qt::Key_PageDown, 3}, // the last page: a beep
            {box, Qt::Key_PageUp, 2},              // from the page box too
            {viewer->grid(), Qt::Key_PageUp, 1},
            {viewer->grid(), Qt::Key_PageUp, 1},
        };
        for (const auto& step : steps) {
            step.target->setFocus();
            QTest::keyClick(step.target, step.key);
            QCOMPARE(s.app.detailReport.currentPage(), step.page);
            QCOMPARE(box->text(), "1");
        }
        viewer->nextPage();
        QCOMPARE(s.app.detailReport.currentPage(), 2);
        QCOMPARE(gridColumn(*viewer->grid(), 0), (QStringList{"gamma.png", "delta"}));
        QVERIFY(s.prompter.messages.isEmpty());
    }

    // Edit > Copy and the toolbar's "copy" serve a viewer: enabled while one is the active window,
    // disabled at start, when another window becomes active and when the active viewer goes.
    void copyEntriesFollowTheActiveWindow() {
        Session s;
        QVERIFY(QTest::qWaitForWindowActive(s.main.get()));
        QMdiArea* area = s.main->mdiArea();
        QVERIFY(!s.copyEnabled());
        QMdiSubWindow* other = s.otherWindow();
        area->setActiveSubWindow(other);
        QVERIFY(!s.copyEnabled());

        s.detailReport(1);
        s.summaryReport();
        area->setActiveSubWindow(s.subWindow("RptForm"));
        QVERIFY(s.copyEnabled());
        area->setActiveSubWindow(other);
        QVERIFY(!s.copyEnabled());
        area->setActiveSubWindow(s.subWindow("SRptForm"));
        QVERIFY(s.copyEnabled());
        area->setActiveSubWindow(s.subWindow("RptForm"));
        QVERIFY(s.copyEnabled());

        // The toolbar button opens the submenu.
        auto* copyMenu = s.main->findChild<QMenu*>("Menu_Edit_Copy");
        s.action("copy")->trigger();
        QTRY_VERIFY(copyMenu->isVisible());
        copyMenu->close();

        s.app.detailReport.rptClose();
        area->setActiveSubWindow(s.subWindow("SRptForm"));
        QVERIFY(s.copyEnabled());
        s.app.summaryReport.rptClose();
        QCOMPARE(area->activeSubWindow(), other);
        QVERIFY(!s.copyEnabled());
    }

    // A close from the window's own menu is refused; the report's close removes the viewer, and the
    // main window closes with viewers open.
    void closeRequests() {
        Session s;
        s.detailReport(1);
        QMdiSubWindow* sub = s.subWindow("RptForm");
        QVERIFY(!sub->close());
        QAction* systemClose = sub->systemMenu()->actions().last();
        QCOMPARE(systemClose->text(), "&Close");
        systemClose->trigger();
        QCoreApplication::processEvents();
        QVERIFY(s.viewer("RptForm"));
        QVERIFY(sub->isVisible());

        // The last window going leaves nothing to copy from.
        QVERIFY(QTest::qWaitForWindowActive(s.main.get()));
        s.main->mdiArea()->setActiveSubWindow(sub);
        QVERIFY(s.copyEnabled());
        s.app.detailReport.rptClose();
        QVERIFY(!s.viewer("RptForm"));
        QVERIFY(!s.copyEnabled());

        s.detailReport(1);
        s.summaryReport();
        QVERIFY(s.main->close());
        QVERIFY(s.main->hasEnded());
    }

    // Copy Selection takes the selected block (else the current cell); Copy Page every cell below the
    // headings, the page's empty rows too, and keeps the current cell.
    void copyTexts() {
        Session s;
        s.detailReport(1);
        QVERIFY(QTest::qWaitForWindowActive(s.main.get()));
        s.main->mdiArea()->setActiveSubWindow(s.subWindow("RptForm"));
        QTableWidget* grid = s.viewer("RptForm")->grid();
        auto copy = [&s](const char* item) {
            QApplication::clipboard()->clear();
            s.action(item)->trigger();
            return QApplication::clipboard()->text();
        };

        grid->setCurrentCell(1, 0);
        grid->setRangeSelected(QTableWidgetSelectionRange(1, 0, 2, 1), true);
        QCOMPARE(copy("Menu_Edit_Copy_Selection"), "beta.doc\t30,720\ngamma.png\t2,048,000");
        grid->clearSelection();
        QCOMPARE(copy("Menu_Edit_Copy_Selection"), "beta.doc");

        grid->setCurrentCell(2, 1);
        QCOMPARE(copy("Menu_Edit_Copy_Page"), "alpha.txt\t1,024\t/home/anna\n"
                                              "beta.doc\t30,720\t/home/anna/letters\n"
                                              "gamma.png\t2,048,000\t/home/anna/photos");
        QCOMPARE(grid->currentRow(), 2);
        QCOMPARE(grid->currentColumn(), 1);
        QCOMPARE(grid->selectedItems(), QList<QTableWidgetItem*>{grid->item(2, 1)});

        s.app.detailReport.rptNewPage(2);
        QCOMPARE(copy("Menu_Edit_Copy_Page"), "delta\t\t/home/anna\nepsilon.tar.gz\t512\t/srv/backup\n\t\t");

        // The copy key in the grid copies the selected block, not only the current cell.
        grid->setCurrentCell(0, 0);
        grid->setRangeSelected(QTableWidgetSelectionRange(0, 0, 1, 0), true);
        QApplication::clipboard()->clear();
        QTest::keySequence(grid, QKeySequence::Copy);
        QCOMPARE(QApplication::clipboard()->text(), "delta\nepsilon.tar.gz");
    }

    // At its smallest the viewer still shows the titles, the headings and a row, and the bar, apart.
    void smallestViewer() {
        Session s;
        s.detailReport(1);
        QMdiSubWindow* sub = s.subWindow("RptForm");
        sub->showNormal();
        sub->resize(sub->minimumSizeHint());
        QCoreApplication::processEvents();
        ReportViewerWindow* viewer = s.viewer("RptForm");
        auto place = [viewer](const char* name) {
            const QWidget* w = viewer->findChild<QWidget*>(name);
            return QRect(w->mapTo(viewer, QPoint(0, 0)), w->size());
        };
        const QRect title = place("LAB_title2"), grid = place("Grid1"), bar = place("Data1"),
                    box = place("PAGINANR");
        QVERIFY(viewer->rect().contains(grid) && viewer->rect().contains(bar) &&
                viewer->rect().contains(box));
        QVERIFY(title.bottom() < grid.top());
        QVERIFY(grid.bottom() < bar.top());
        QVERIFY(bar.right() < box.left());
        QVERIFY(place("LAB_title1").height() > 0 && title.height() > 0);
        const QTableWidget* table = viewer->grid();
        QVERIFY(table->viewport()->height() >= table->rowHeight(0));
    }

    void statusShownWhileSorting() {
        Session s;
        ReportEngine& r = s.app.summaryReport;
        r.pageHeight = [] { return heightFor(3); };
        QCOMPARE(r.rptCreate("Summary Report", 1, 0, 3, 0, 0, "", "", "", ""), 0);
        r.rptDefineColumn(1, report::NumericType, "SEL", 990, 1, "#,##0", false);
        ReportViewerWindow* viewer = s.viewer("SRptForm");
        QVERIFY(viewer);
        const auto* status = viewer->findChild<QLineEdit*>("TXT_status");
        QStringList shown;
        connect(&r, &ReportEngine::statusChanged, this, [&] {
            if (status->isVisible())
                shown.append(status->text());
        });
        r.rptSort(1);
        QCOMPARE(shown, QStringList{"sorting by " + QString("SEL").leftJustified(30)});
        QVERIFY(!status->isVisible());
    }

    // New and Open start without reports: both viewers go and printing is off.
    void newWorkFileClosesBothReports() {
        Session s;
        s.detailReport(1);
        s.summaryReport();
        ReportEngine& summary = s.app.summaryReport;
        QVERIFY(s.viewer("RptForm") && s.viewer("SRptForm"));
        QString name;
        work::openWorkFile(s.app.work, "NEW", name);
        QVERIFY(!s.app.work.activeFileName.isEmpty());
        QVERIFY(!s.app.detailReport.isAvailable());
        QVERIFY(!summary.isAvailable());
        QVERIFY(!s.viewer("RptForm") && !s.viewer("SRptForm"));
        QVERIFY(!s.printEnabled());
    }

    void printerPageHeight() {
        if (!QPrinterInfo::defaultPrinter().isNull())
            QSKIP("the system has a printer");
        // The built-in PDF writer: A4 or Letter, by the locale.
        const int height = report::defaultPrinterPageHeight();
        QVERIFY2(height == report::A4HeightTwips || height == report::LetterHeightTwips,
                 qPrintable(QString::number(height)));
        Session s;
        QCOMPARE(s.app.detailReport.pageHeight(), height);
    }

    // Run with ZEK_SCREENSHOT=<file.png> to picture a viewer with one page.
    void screenshot() {
        const QString target = qEnvironmentVariable("ZEK_SCREENSHOT");
        if (target.isEmpty())
            QSKIP("ZEK_SCREENSHOT not set");
        Session s;
        s.detailReport(1, 12);
        QMdiSubWindow* sub = s.main->mdiArea()->subWindowList().value(0);
        QVERIFY(sub);
        sub->showNormal();
        sub->setGeometry(10, 10, 720, 330);
        QCoreApplication::processEvents();
        QVERIFY(s.main->grab().save(target));
    }
};

QTEST_MAIN(ReportViewerTest)
#include "test_report_viewer.moc"
