#include "query/gui/conditions_window.h"

#include "platform/prompt.h"
#include "query/gui/grid_edits.h"
#include "query/row_encoding.h"
#include "query/value_validation.h"
#include "work/report_columns.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QMdiSubWindow>
#include <QPointer>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolButton>

namespace zek {

namespace {

void setItems(QComboBox* box, const QStringList& items, int index) {
    const QSignalBlocker block(box);
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(index);
}

QStringList itemsOf(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items.append(box->itemText(i));
    return items;
}

} // namespace

// ---- rows and model -------------------------------------------------------------------------

RowEncoder ConditionsWindow::encoder() const {
    const platform::IntlSettings* intl = &m_intl;
    return [intl](const GridRowInput& row) { return encodeGridRow(row, *intl); };
}

GridRowState ConditionsWindow::rowState(int r) const {
    const RowControls& c = m_rows[static_cast<size_t>(r)];
    GridRowState s;
    s.lineNumber = c.choice->property("tag").toString().toInt();
    s.marked = c.choice->isMarked();
    s.bracketL = c.bracketL->text();
    s.fieldIndex = std::max(0, c.field->currentIndex());
    s.evaluations = itemsOf(c.evaluation);
    s.evaluationIndex = std::max(0, c.evaluation->currentIndex());
    s.mask = c.value->mask();
    s.maxLength = c.value->property(MaxLengthProperty).toInt();
    s.valueEnabled = c.value->isEnabled();
    s.valueText = c.value->maskedText();
    s.valueChoiceVisible = !c.valueChoice->isHidden();
    s.valueChoices = itemsOf(c.valueChoice);
    s.valueChoiceIndex = s.valueChoiceVisible ? c.valueChoice->currentIndex() : -1;
    s.bracketR = c.bracketR->text();
    s.connectionIndex = std::max(0, c.connection->currentIndex());
    return s;
}

void ConditionsWindow::readGrid() {
    for (int r = 0; r < GridRowCount; ++r)
        m_grid.rows[static_cast<size_t>(r)] = rowState(r);
}

void ConditionsWindow::applyRow(int r, const GridRowState& s) {
    RowControls& c = m_rows[static_cast<size_t>(r)];
    // Focus moving away from a box disabled here is no visit of the user's.
    const QScopedValueRollback applying(m_quiet, true);
    c.choice->setText(QString::number(s.lineNumber));
    c.choice->setProperty("tag", QString::number(s.lineNumber));
    c.choice->setMarked(s.marked);
    c.bracketL->setText(s.bracketL);
    {
        const QSignalBlocker block(c.field);
        c.field->setCurrentIndex(s.fieldIndex);
    }
    setItems(c.evaluation, s.evaluations, s.evaluationIndex);
    c.value->setMask(QString());
    c.value->setMaxLength(s.maxLength);
    c.value->setProperty(MaxLengthProperty, s.maxLength);
    c.value->setMask(s.mask);
    c.value->setMaskedText(s.valueText);
    c.value->setEnabled(s.valueEnabled);
    setItems(c.valueChoice, s.valueChoices, s.valueChoiceVisible ? s.valueChoiceIndex : -1);
    c.valueChoice->setVisible(s.valueChoiceVisible);
    c.bracketR->setText(s.bracketR);
    {
        const QSignalBlocker block(c.connection);
        c.connection->setCurrentIndex(s.connectionIndex);
    }
    m_rowSetupField[static_cast<size_t>(r)] = s.field();
}

void ConditionsWindow::applyGrid() {
    for (int r = 0; r < GridRowCount; ++r)
        applyRow(r, m_grid.rows[static_cast<size_t>(r)]);
}

void ConditionsWindow::syncScrollBar() {
    const QSignalBlocker block(m_scroll);
    m_scroll->setRange(1, std::max(1, lines().count()));
    m_scroll->setValue(m_grid.currentLine());
}

void ConditionsWindow::updateChoiceStyles() {
    for (int r = 0; r < GridRowCount; ++r)
        m_rows[static_cast<size_t>(r)].choice->setCurrent(r == m_grid.currentRow - 1);
}

QWidget* ConditionsWindow::control(int r, const QString& column) const {
    if (r < 0 || r >= GridRowCount)
        return nullptr;
    const RowControls& c = m_rows[static_cast<size_t>(r)];
    for (QWidget* w : {static_cast<QWidget*>(c.choice), static_cast<QWidget*>(c.bracketL),
                       static_cast<QWidget*>(c.field), static_cast<QWidget*>(c.evaluation),
                       static_cast<QWidget*>(c.value), static_cast<QWidget*>(c.valueChoice),
                       static_cast<QWidget*>(c.bracketR), static_cast<QWidget*>(c.connection)}) {
        if (w->property(ColumnProperty).toString() == column)
            return w;
    }
    return nullptr;
}

void ConditionsWindow::focusCurrentColumn() {
    QWidget* w = control(m_grid.currentRow - 1, m_grid.currentColumn);
    if (!w || !w->isEnabled() || w->isHidden())
        return;
    w->setFocus(Qt::OtherFocusReason);
}

void ConditionsWindow::storeGridRows() {
    readGrid();
    zek::storeGridRows(m_grid, lines(), encoder());
    syncSorters();
}

void ConditionsWindow::showSettings() {
    ensureInitialLines(lines());
    m_grid.currentRow = 1;
    showLinesFrom(m_grid, lines(), 1, m_intl);
    applyGrid();
    for (int i = 0; i < 3; ++i) {
        const Sorter& sorter = m_work.settings.sorters[static_cast<size_t>(i)];
        QComboBox* box = m_sorters[static_cast<size_t>(i)];
        const QSignalBlocker block(box);
        box->setCurrentIndex(0);
        const int at = static_cast<int>(conditionFieldList().indexOf(sorter.text));
        if (at > 0)
            box->setCurrentIndex(at);
        setSorterAscending(i, sorter.ascending);
    }
    syncScrollBar();
    updateChoiceStyles();
}

// ---- handlers -------------------------------------------------------------------------------

bool ConditionsWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::FocusIn && event->type() != QEvent::FocusOut)
        return QWidget::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    const QVariant row = widget ? widget->property(RowProperty) : QVariant();
    if (!row.isValid())
        return QWidget::eventFilter(watched, event);
    const int r = row.toInt();
    const QString column = widget->property(ColumnProperty).toString();
    if (event->type() == QEvent::FocusIn) {
        if (!m_quiet)
            rowFocused(r, column);
    } else if (column == QLatin1String("dqvalue")) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Leaving for a menu or another program is no leaving of the box.
        const bool away = reason == Qt::PopupFocusReason ||
                          (reason == Qt::ActiveWindowFocusReason && QApplication::activeWindow() != window());
        if (!away)
            validateValue(r);
    }
    return QWidget::eventFilter(watched, event);
}

void ConditionsWindow::rowFocused(int r, const QString& column) {
    m_grid.currentRow = r + 1;
    m_grid.currentColumn = column;
    syncScrollBar();
    updateChoiceStyles();
    if (column == QLatin1String("dqvalue"))
        fieldClicked(r);
}

void ConditionsWindow::fieldClicked(int r) {
    RowControls& c = m_rows[static_cast<size_t>(r)];
    const QString name = c.field->currentText();
    if (name.isEmpty() || name == m_rowSetupField[static_cast<size_t>(r)])
        return;
    GridRowState row = rowState(r);
    setupRowForField(row, name, m_intl);
    applyRow(r, row);
    if (c.value->isEnabled())
        c.value->setFocus(Qt::OtherFocusReason);
}

QString ConditionsWindow::filterValueText(int r, const QString& typed) const {
    const RowControls& c = m_rows[static_cast<size_t>(r)];
    const QString unit = c.valueChoice->isHidden() ? QString() : c.valueChoice->currentText();
    const QString field = c.field->currentText();
    QString out;
    for (QChar ch : typed) {
        const int key = filterValueKey(field, ch.unicode(), unit, m_intl);
        if (key != 0)
            out += QChar(key);
    }
    return out;
}

void ConditionsWindow::validateValue(int r) {
    RowControls& c = m_rows[static_cast<size_t>(r)];
    if (m_quiet || !c.value->isEnabled())
        return;
    const QScopedValueRollback guard(m_quiet, true);
    QString text = c.value->maskedText();
    const QString before = text;
    const EntryOutcome outcome =
        validateValueEntry(c.field->currentText(), text, m_intl, [] { QApplication::beep(); });
    if (text != before)
        c.value->setMaskedText(text);
    // The evaluation stays as chosen: a condition does not change behind the user's back. Only
    // setting the row up again (a new field, or Cancel below) puts it back to "=".
    if (outcome == EntryOutcome::Retry) {
        // After the focus change under way has ended.
        QTimer::singleShot(0, c.value, [box = QPointer<MaskedValueEdit>(c.value)] {
            if (box)
                box->setFocus(Qt::OtherFocusReason);
        });
    } else if (outcome == EntryOutcome::Cancel) {
        GridRowState row = rowState(r);
        setupRowForField(row, m_intl);
        applyRow(r, row);
    }
}

void ConditionsWindow::scrolled(int value) {
    readGrid();
    if (scrollGrid(m_grid, lines(), value, m_intl, encoder()))
        applyGrid();
    syncScrollBar();
    updateChoiceStyles();
    focusCurrentColumn();
}

void ConditionsWindow::addLine() {
    storeGridRows();
    const int proposed = m_scroll->value();
    addLineAt(platform::prompter().position(
        platform::PositionRequest{QStringLiteral("Add queryfield"), lines().count(), proposed}));
}

void ConditionsWindow::insertLine() {
    storeGridRows();
    addLineAt(m_grid.currentLine());
}

// The rows already stored: an empty line `position` (0 adds none), shown with the focus on its field.
void ConditionsWindow::addLineAt(int position) {
    const int row = zek::addLine(m_grid, lines(), position, m_intl, encoder());
    if (row < 0)
        return;
    applyGrid();
    syncScrollBar();
    updateChoiceStyles();
    m_rows[static_cast<size_t>(row)].field->setFocus(Qt::OtherFocusReason);
}

void ConditionsWindow::demoteLine() {
    readGrid();
    if (zek::demoteLine(m_grid, lines(), m_intl, encoder()))
        applyGrid();
}

void ConditionsWindow::promoteLine() {
    readGrid();
    if (zek::promoteLine(m_grid, lines(), m_intl, encoder()))
        applyGrid();
}

void ConditionsWindow::deleteLine() {
    readGrid();
    zek::deleteLine(m_grid, m_intl);
    applyRow(m_grid.currentRow - 1, m_grid.rows[static_cast<size_t>(m_grid.currentRow - 1)]);
}

void ConditionsWindow::setSorterAscending(int i, bool ascending) {
    QToolButton* status = m_sorterStatus[static_cast<size_t>(i)];
    status->setProperty(AscendingProperty, ascending);
    status->setIcon(QIcon(ascending ? ascendingPicture() : descendingPicture()));
    status->setToolTip(ascending ? QStringLiteral("Ascending; click for descending")
                                 : QStringLiteral("Descending; click for ascending"));
}

void ConditionsWindow::syncSorters() {
    for (int i = 0; i < 3; ++i) {
        const QComboBox* box = m_sorters[static_cast<size_t>(i)];
        Sorter& sorter = m_work.settings.sorters[static_cast<size_t>(i)];
        sorter.text = box->currentIndex() > 0 ? box->currentText() : QString();
        sorter.ascending = m_sorterStatus[static_cast<size_t>(i)]->property(AscendingProperty).toBool();
    }
}

QString ConditionsWindow::mainSortField() const {
    for (const QComboBox* box : m_sorters) {
        if (box->currentIndex() > 0)
            return box->currentText();
    }
    return QStringLiteral("PATH");
}

void ConditionsWindow::showNotYetImplemented() {
    platform::msgBox(QStringLiteral("Not yet implemented"));
}

// ---- activation -----------------------------------------------------------------------------

void ConditionsWindow::activate() {
    m_active = true;
    if (entryItemsVisible)
        entryItemsVisible(true);
}

void ConditionsWindow::deactivate() {
    m_active = false;
    if (entryItemsVisible)
        entryItemsVisible(false);
    storeGridRows();
    handOverMainSortField();
}

void ConditionsWindow::handOverMainSortField() {
    // The Summary report groups by the main sort field: it becomes the first summary column.
    const QString main = mainSortField();
    ReportColumns& columns = m_work.settings.summaryColumns;
    if (!columns.empty() && columns.front().name.trimmed() == main.trimmed())
        return;
    ReportColumn first;
    first.name = main;
    first.description = main;
    first.width = 990;
    first.extra = QString();
    first.format = NumberFormat;
    if (columns.empty())
        columns.push_back(first);
    else
        columns.front() = first;
    Q_EMIT summaryMainFieldChanged(main);
    Q_EMIT m_work.events.summaryColumnsChanged();
}

void ConditionsWindow::attachToSubWindow() {
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (!sub || sub == m_subWindow)
        return;
    m_subWindow = sub;
    connect(sub, &QMdiSubWindow::windowStateChanged, this,
            [this, sub](Qt::WindowStates oldState, Qt::WindowStates newState) {
                if (sub != m_subWindow)
                    return;
                const bool was = oldState.testFlag(Qt::WindowActive);
                const bool now = newState.testFlag(Qt::WindowActive);
                if (!was && now) {
                    activate();
                } else if (was && !now && m_active) {
                    // A main window being hidden or destroyed takes its children down with it; that
                    // is no change of the active window, and the main window may be half gone.
                    if (sub->isVisible())
                        deactivate();
                    else
                        m_active = false;
                }
            });
}

bool ConditionsWindow::event(QEvent* event) {
    if (event->type() == QEvent::ParentChange)
        attachToSubWindow();
    return QWidget::event(event);
}

void ConditionsWindow::closeEvent(QCloseEvent* event) {
    // The window lives as long as the program; it cannot be closed.
    event->ignore();
}

} // namespace zek
