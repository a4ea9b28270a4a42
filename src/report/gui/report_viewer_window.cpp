#include "report/gui/report_viewer_window.h"

#include "platform/prompt.h"
#include "platform/twips.h"
#include "report/gui/grid_clip.h"
#include "report/page_navigation.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <optional>
#include <tuple>

namespace zek {

using platform::Axis;
using platform::twipsToPixels;

namespace {

// The room between the title lines and the footnotes.
constexpr int LabelGapTwips = 960;

QLabel* makeLabel(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setMinimumWidth(0);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    return label;
}

} // namespace

Qt::Alignment columnAlignment(int code) {
    switch (code) {
    case 1:
        return Qt::AlignRight | Qt::AlignVCenter;
    case 2:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

ReportViewerWindow::ReportViewerWindow(report::ReportEngine& engine, QWidget* parent)
    : QWidget(parent), m_engine(engine) {
    setObjectName(engine.viewerName());
    buildControls();
    buildCommands();

    using report::ReportEngine;
    connect(&engine, &ReportEngine::captionChanged, this, &QWidget::setWindowTitle);
    connect(&engine, &ReportEngine::titlesChanged, this, &ReportViewerWindow::showTitles);
    connect(&engine, &ReportEngine::layoutChanged, this, [this] {
        showLayout();
        showPage();
    });
    connect(&engine, &ReportEngine::pageChanged, this, &ReportViewerWindow::showPage);
    connect(&engine, &ReportEngine::statusChanged, this, &ReportViewerWindow::showStatus);

    setWindowTitle(engine.caption());
    showTitles();
    showLayout();
    showPage();
    showStatus();
}

void ReportViewerWindow::buildControls() {
    m_title1 = makeLabel("LAB_title1", this);
    m_title2 = makeLabel("LAB_title2", this);
    m_footnote1 = makeLabel("LAB_footnote1", this);
    m_footnote2 = makeLabel("LAB_footnote2", this);
    QFont bold = m_title1->font();
    bold.setBold(true);
    m_title1->setFont(bold);

    auto* labels = new QGridLayout;
    labels->addWidget(m_title1, 0, 0);
    labels->addWidget(m_title2, 1, 0);
    labels->addWidget(m_footnote1, 0, 2);
    labels->addWidget(m_footnote2, 1, 2);
    labels->setColumnMinimumWidth(1, twipsToPixels(LabelGapTwips, Axis::X));
    labels->setColumnStretch(0, 1);
    labels->setColumnStretch(2, 1);

    m_grid = new QTableWidget(this);
    m_grid->setObjectName("Grid1");
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setFixedHeight(twipsToPixels(report::HeaderHeight, Axis::Y));
    m_grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_grid->verticalHeader()->setDefaultSectionSize(
        std::max(twipsToPixels(report::RowPitch + report::RuleHeight, Axis::Y), fontMetrics().height() + 4));
    // The window's smallest size still shows the headings and one row between the titles and the bar.
    m_grid->setMinimumHeight(m_grid->horizontalHeader()->maximumHeight() +
                             m_grid->verticalHeader()->defaultSectionSize() + 2 * m_grid->frameWidth() +
                             style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_grid));

    // Page navigation: the bar's first, previous, next and last buttons and the page box.
    auto* bar = new QFrame(this);
    bar->setObjectName("Data1");
    bar->setFrameShape(QFrame::StyledPanel);
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(1, 1, 1, 1);
    barLayout->setSpacing(0);
    const std::tuple<const char*, QString, report::PageMove> buttons[] = {
        {"Data1_first", "|<", report::PageMove::First},
        {"Data1_previous", "<", report::PageMove::Previous},
        {"Data1_next", ">", report::PageMove::Next},
        {"Data1_last", ">|", report::PageMove::Last}};
    for (const auto& [name, text, move] : buttons) {
        auto* button = new QToolButton(bar);
        button->setObjectName(name);
        button->setText(text);
        button->setAutoRaise(true);
        barLayout->addWidget(button);
        connect(button, &QToolButton::clicked, this, [this, move = move] { movePage(move); });
        if (QLatin1String(name) == QLatin1String("Data1_previous"))
            barLayout->addSpacing(twipsToPixels(1455 - 570, Axis::X) - 2 * button->sizeHint().width());
    }
    m_pageBox = new QLineEdit(this);
    m_pageBox->setObjectName("PAGINANR");
    m_pageBox->setMaximumWidth(fontMetrics().horizontalAdvance("000000") + 12);
    m_pageBox->setMinimumWidth(fontMetrics().horizontalAdvance("0000") + 12);
    connect(m_pageBox, &QLineEdit::returnPressed, this, &ReportViewerWindow::showTypedPage);
    m_status = new QLineEdit(this);
    m_status->setObjectName("TXT_status");
    m_status->setReadOnly(true);
    m_status->setFocusPolicy(Qt::NoFocus);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(bar);
    bottom->addWidget(m_pageBox);
    bottom->addWidget(m_status, 1);
    bottom->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(labels);
    layout->addWidget(m_grid, 1);
    layout->addLayout(bottom);
}

void ReportViewerWindow::buildCommands() {
    struct Command {
        const char* name;
        const char* caption;
        QKeySequence keys;
        void (ReportViewerWindow::*run)();
    };
    const Command commands[] = {
        {"Grid1_CopySelection", "Copy &Selection", QKeySequence::Copy, &ReportViewerWindow::copySelection},
        {"Grid1_CopyPage", "Copy &Page", QKeySequence(), &ReportViewerWindow::copyPage},
        {nullptr, nullptr, QKeySequence(), nullptr},
        {"Grid1_PreviousPage", "P&revious Page", QKeySequence(Qt::Key_PageUp),
         &ReportViewerWindow::previousPage},
        {"Grid1_NextPage", "&Next Page", QKeySequence(Qt::Key_PageDown), &ReportViewerWindow::nextPage},
    };
    // The keys work anywhere in the window (the page box has its own copy key); the grid's own
    // PageUp and PageDown would only scroll within the page.
    for (const Command& command : commands) {
        auto* action = new QAction(this);
        if (!command.name) {
            action->setSeparator(true);
        } else {
            action->setObjectName(command.name);
            action->setText(command.caption);
            action->setShortcut(command.keys);
            action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            connect(action, &QAction::triggered, this, command.run);
            addAction(action);
        }
        m_grid->addAction(action);
    }
    m_grid->setContextMenuPolicy(Qt::ActionsContextMenu);
}

QSize ReportViewerWindow::sizeHint() const {
    // The size of a viewer without a saved place.
    return {twipsToPixels(9420, Axis::X), twipsToPixels(5655, Axis::Y)};
}

void ReportViewerWindow::showLayout() {
    const int columns = m_engine.columnCount();
    m_grid->setColumnCount(columns);
    m_grid->setRowCount(m_engine.rowsPerPage());
    const QStringList& headings = m_engine.headings();
    for (int c = 1; c <= columns; ++c) {
        const report::ColumnDefinition& def = m_engine.column(c);
        auto* header = new QTableWidgetItem(headings.value(c - 1));
        header->setTextAlignment(columnAlignment(def.alignment));
        m_grid->setHorizontalHeaderItem(c - 1, header);
        m_grid->setColumnWidth(c - 1, std::max(0, twipsToPixels(def.width, Axis::X)));
    }
}

void ReportViewerWindow::showPage() {
    const std::vector<QStringList>& rows = m_engine.page().rows;
    const int columns = std::min(m_grid->columnCount(), m_engine.columnCount());
    for (int r = 0; r < m_grid->rowCount() && r < static_cast<int>(rows.size()); ++r) {
        const QStringList& cells = rows[static_cast<size_t>(r)];
        for (int c = 0; c < columns; ++c) {
            QTableWidgetItem* item = m_grid->item(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
                m_grid->setItem(r, c, item);
            }
            item->setText(cells.value(c));
            item->setTextAlignment(columnAlignment(m_engine.column(c + 1).alignment));
        }
    }
    update();
}

void ReportViewerWindow::showTitles() {
    const report::TitleLines& lines = m_engine.titleLines();
    m_title1->setText(lines.title1);
    m_title2->setText(lines.title2);
    m_footnote1->setText(lines.footnote1);
    m_footnote2->setText(lines.footnote2);
}

void ReportViewerWindow::showStatus() {
    m_status->setText(m_engine.statusText());
    m_status->setVisible(m_engine.statusVisible());
    // Long work follows: the text must be on screen before it starts.
    if (m_status->isVisible())
        m_status->repaint();
}

std::optional<int> ReportViewerWindow::possibleMove(report::PageMove move) const {
    const std::optional<int> page = report::pageAfterMove(move, m_engine.currentPage(), m_engine.pageCount());
    if (!page)
        QApplication::beep();
    return page;
}

void ReportViewerWindow::movePage(report::PageMove move) {
    if (const std::optional<int> page = possibleMove(move)) {
        m_pageBox->setText(QString::number(*page));
        m_engine.rptNewPage(*page);
    }
}

void ReportViewerWindow::previousPage() {
    if (const std::optional<int> page = possibleMove(report::PageMove::Previous))
        m_engine.rptNewPage(*page);
}

void ReportViewerWindow::nextPage() {
    if (const std::optional<int> page = possibleMove(report::PageMove::Next))
        m_engine.rptNewPage(*page);
}

void ReportViewerWindow::copySelection() {
    if (const std::optional<QTableWidgetSelectionRange> block = selectionBlock(*m_grid))
        QApplication::clipboard()->setText(gridClipText(*m_grid, *block));
}

void ReportViewerWindow::copyPage() {
    const std::optional<QTableWidgetSelectionRange> page = pageBlock(*m_grid);
    if (!page)
        return;
    const int row = m_grid->currentRow();
    const int column = m_grid->currentColumn();
    m_grid->clearSelection();
    m_grid->setRangeSelected(*page, true);
    QApplication::clipboard()->setText(gridClipText(*m_grid, *page));
    m_grid->clearSelection();
    if (row >= 0 && column >= 0)
        m_grid->setCurrentCell(row, column);
}

void ReportViewerWindow::closeEvent(QCloseEvent* event) {
    // A close from the window's own menu is refused; once the report is closed the window may go.
    if (m_engine.isAvailable())
        event->ignore();
    else
        event->accept();
}

void ReportViewerWindow::showTypedPage() {
    const report::PageEntry entry = report::pageFromEntry(m_pageBox->text(), m_engine.pageCount());
    if (entry.page == 0) {
        platform::msgBox(entry.message, platform::MbOkOnly, platform::DefaultMessageTitle);
        return;
    }
    m_engine.rptNewPage(entry.page);
}

} // namespace zek
