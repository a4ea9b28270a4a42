// A report viewer (`RptForm` for the Detail report, `SRptForm` for the Summary report): the page its
// report engine shows, in the grid `Grid1` (its header is grid row 0, the headings), the title lines
// and footnotes, and the status box `TXT_status` while the engine sorts. The window only draws the
// engine's state; it follows the engine's signals.
#pragma once

#include "report/page_navigation.h"
#include "report/report_engine.h"

#include <QWidget>

#include <optional>

class QCloseEvent;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace zek {

class ReportViewerWindow : public QWidget {
    Q_OBJECT
public:
    explicit ReportViewerWindow(report::ReportEngine& engine, QWidget* parent = nullptr);

    report::ReportEngine& engine() const { return m_engine; }
    QTableWidget* grid() const { return m_grid; }

    QSize sizeHint() const override;

    // The navigation bar's moves (a beep when not possible) and the page typed in `PAGINANR`.
    void movePage(report::PageMove move);
    void showTypedPage();

    // The previous and next page commands (keys PageUp and PageDown): the bar's tests and beep, but
    // the page box keeps its text.
    void previousPage();
    void nextPage();

    // The selected block of cells (else the current cell), or the whole page, to the clipboard as
    // text; copying the page keeps the current cell.
    void copySelection();
    void copyPage();

protected:
    // The window stays while its report exists: the report's close removes it.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    // The page and copy commands as actions: keys in the window and the grid's context menu.
    void buildCommands();
    // The page a move leads to; a beep and nothing when the move is not possible.
    std::optional<int> possibleMove(report::PageMove move) const;
    // The grid's columns and rows as the report defines them.
    void showLayout();
    void showPage();
    void showTitles();
    void showStatus();

    report::ReportEngine& m_engine;
    QTableWidget* m_grid = nullptr;
    QLabel* m_title1 = nullptr;
    QLabel* m_title2 = nullptr;
    QLabel* m_footnote1 = nullptr;
    QLabel* m_footnote2 = nullptr;
    QLineEdit* m_pageBox = nullptr;
    QLineEdit* m_status = nullptr;
};

// The grid alignment of a column's alignment code: 0 left, 1 right, 2 centre.
Qt::Alignment columnAlignment(int code);

} // namespace zek
