#include "query/gui/drivedirquery.h"

#include "platform/prompt.h"
#include "query/gui/grid_edits.h"
#include "query/row_encoding.h"
#include "query/value_validation.h"
#include "report/report_columns.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace zek {

namespace {

const char* const RowProperty = "gridRow";
const char* const ColumnProperty = "gridColumn";
const char* const AscendingProperty = "ascending";
// The value box's length as the row set-up gave it (a masked box's own length is its mask's).
const char* const MaxLengthProperty = "designMaxLength";

constexpr int ColumnSpacing = 6;

// The fixed widths of the grid's columns; the value column takes the rest.
struct ColumnWidths {
    int choice = 0;
    int bracket = 0;
    int field = 0;
    int evaluation = 0;
    int value = 0;
    int unit = 0;
    int connection = 0;
};

// Wide enough for the entries and for the bold headings above them.
ColumnWidths columnWidths(const QWidget* w) {
    const QFontMetrics fm = w->fontMetrics();
    QFont boldFont = w->font();
    boldFont.setBold(true);
    const QFontMetrics bold(boldFont);
    auto fit = [&bold](int content, const char* headingText) {
        return std::max(content, bold.horizontalAdvance(QLatin1String(headingText)) + 6);
    };
    // Room for the drop-down arrow and the frame of a list.
    const int listExtra = 40;
    ColumnWidths c;
    c.choice = fit(std::max(34, fm.horizontalAdvance(QStringLiteral("9999")) + 12), "Select");
    c.bracket = fit(fm.horizontalAdvance(QStringLiteral("(((((")) + 14, "Bracket");
    c.field = fit(fm.horizontalAdvance(QStringLiteral("CREATIONDATE")) + listExtra, "Field");
    c.evaluation = fit(fm.horizontalAdvance(QStringLiteral("NOT =")) + listExtra, "Evaluation");
    c.value = fm.horizontalAdvance(QLatin1Char('W')) * 16;
    c.unit = std::max(fm.horizontalAdvance(QStringLiteral("MB")), fm.horizontalAdvance(QStringLiteral("PM"))) +
             listExtra;
    c.connection = fit(fm.horizontalAdvance(QStringLiteral("AND NOT")) + listExtra, "Connection");
    return c;
}

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

QLabel* heading(const QString& name, const QString& text, int width, Qt::Alignment align, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    if (width > 0)
        label->setFixedWidth(width);
    label->setAlignment(align | Qt::AlignVCenter);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    return label;
}

QFrame* panel(const QString& name, QWidget* parent) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Raised);
    return frame;
}

QPushButton* commandButton(const QString& name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

Drivedirquery::Drivedirquery(AppState& app, QWidget* parent) : QWidget(parent), m_app(app) {
    setObjectName(QStringLiteral("Drivedirquery"));
    setWindowTitle(QStringLiteral("Conditions & Sorting"));
    buildWindow();
    showSettings();
}

// ---- building -------------------------------------------------------------------------------

void Drivedirquery::buildWindow() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);
    outer->setSpacing(8);

    QFrame* conditions = panel(QStringLiteral("conditionspanel"), this);
    auto* conditionsLayout = new QVBoxLayout(conditions);
    conditionsLayout->setContentsMargins(10, 6, 10, 10);
    conditionsLayout->setSpacing(6);
    conditionsLayout->addWidget(
        heading(QStringLiteral("querylabel_5"), QStringLiteral("Conditions"), 0, Qt::AlignLeft, conditions));

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    grid->addWidget(buildHeading(), 0, 0);
    for (int r = 0; r < GridRowCount; ++r)
        grid->addWidget(buildRow(r), r + 1, 0);
    m_scroll = new QScrollBar(Qt::Vertical, conditions);
    m_scroll->setObjectName(QStringLiteral("queryscroll"));
    m_scroll->setSingleStep(1);
    m_scroll->setPageStep(1);
    grid->addWidget(m_scroll, 1, 1, GridRowCount, 1);
    grid->setColumnStretch(0, 1);
    conditionsLayout->addLayout(grid);
    connect(m_scroll, &QScrollBar::valueChanged, this, &Drivedirquery::scrolled);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    QPushButton* add = commandButton(QStringLiteral("Command3D1"), QStringLiteral("&Add"), conditions);
    QPushButton* demote = commandButton(QStringLiteral("Command3D2"), QStringLiteral("D&emote"), conditions);
    QPushButton* promote =
        commandButton(QStringLiteral("Command3D3"), QStringLiteral("&Promote"), conditions);
    QPushButton* remove = commandButton(QStringLiteral("Command3D4"), QStringLiteral("&Delete"), conditions);
    QPushButton* activateQuery =
        commandButton(QStringLiteral("activatequery"), QStringLiteral("&Activate Query"), conditions);
    add->setToolTip(QStringLiteral("Add an empty condition line"));
    demote->setToolTip(QStringLiteral("Move the current line's condition one line down"));
    promote->setToolTip(QStringLiteral("Move the current line's condition one line up"));
    remove->setToolTip(QStringLiteral("Empty the current line"));
    for (QPushButton* b : {add, demote, promote, remove})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(activateQuery);
    conditionsLayout->addLayout(buttons);
    connect(add, &QPushButton::clicked, this, &Drivedirquery::addLine);
    connect(demote, &QPushButton::clicked, this, &Drivedirquery::demoteLine);
    connect(promote, &QPushButton::clicked, this, &Drivedirquery::promoteLine);
    connect(remove, &QPushButton::clicked, this, &Drivedirquery::deleteLine);
    connect(activateQuery, &QPushButton::clicked, this, &Drivedirquery::showNotYetImplemented);

    outer->addWidget(conditions);
    outer->addWidget(buildSorting());
    outer->addStretch(1);

    // The picture holders the direction buttons copy.
    for (const auto& [name, picture] : {std::pair{QStringLiteral("stijgend"), ascendingPicture()},
                                        std::pair{QStringLiteral("dalend"), descendingPicture()}}) {
        auto* holder = new QLabel(this);
        holder->setObjectName(name);
        holder->setPixmap(picture);
        holder->hide();
    }
}

QWidget* Drivedirquery::buildHeading() {
    const ColumnWidths w = columnWidths(this);
    auto* row = new QWidget(this);
    row->setObjectName(QStringLiteral("queryheading"));
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(ColumnSpacing);
    h->addWidget(
        heading(QStringLiteral("querylabel_0"), QStringLiteral("Select"), w.choice, Qt::AlignHCenter, row));
    h->addWidget(
        heading(QStringLiteral("querylabel_1"), QStringLiteral("Bracket"), w.bracket, Qt::AlignHCenter, row));
    h->addWidget(
        heading(QStringLiteral("querylabel_7"), QStringLiteral("Field"), w.field, Qt::AlignLeft, row));
    h->addWidget(heading(QStringLiteral("querylabel_2"), QStringLiteral("Evaluation"), w.evaluation,
                         Qt::AlignLeft, row));
    QLabel* value = heading(QStringLiteral("querylabel_8"), QStringLiteral("Value"), 0, Qt::AlignLeft, row);
    value->setMinimumWidth(w.value);
    h->addWidget(value, 1);
    auto* unitSpace = new QWidget(row);
    unitSpace->setFixedWidth(w.unit);
    h->addWidget(unitSpace);
    h->addWidget(
        heading(QStringLiteral("querylabel_3"), QStringLiteral("Bracket"), w.bracket, Qt::AlignHCenter, row));
    h->addWidget(heading(QStringLiteral("querylabel_4"), QStringLiteral("Connection"), w.connection,
                         Qt::AlignLeft, row));
    return row;
}

QWidget* Drivedirquery::buildRow(int r) {
    const ColumnWidths w = columnWidths(this);
    RowControls& c = m_rows[static_cast<size_t>(r)];
    const QString n = QString::number(r);
    c.container = new QWidget(this);
    c.container->setObjectName(QStringLiteral("queryrow_") + n);
    auto* h = new QHBoxLayout(c.container);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(ColumnSpacing);

    c.choice = new ChoiceButton(c.container);
    c.choice->setObjectName(QStringLiteral("DQCHOICE_") + n);
    c.choice->setFixedWidth(w.choice);
    c.choice->setText(QString::number(r + 1));
    c.choice->setProperty("tag", QString::number(r + 1));
    c.choice->setToolTip(QStringLiteral("Line number; click to mark or unmark the line"));
    connect(c.choice, &QPushButton::clicked, this, [this, r] {
        m_rows[static_cast<size_t>(r)].choice->setMarked(!m_rows[static_cast<size_t>(r)].choice->isMarked());
    });

    c.bracketL = new BracketEdit(QLatin1Char('('), c.container);
    c.bracketL->setObjectName(QStringLiteral("DQBRACKETL_") + n);
    c.bracketL->setFixedWidth(w.bracket);
    c.bracketL->setAlignment(Qt::AlignCenter);

    c.field = new QComboBox(c.container);
    c.field->setObjectName(QStringLiteral("DQFIELD_") + n);
    c.field->addItems(conditionFieldList());
    c.field->setMaxVisibleItems(static_cast<int>(conditionFieldList().size()));
    c.field->setFixedWidth(w.field);
    connect(c.field, &QComboBox::activated, this, [this, r] { fieldClicked(r); });

    c.evaluation = new QComboBox(c.container);
    c.evaluation->setObjectName(QStringLiteral("DQEVALUATION_") + n);
    c.evaluation->addItem(QString());
    c.evaluation->setFixedWidth(w.evaluation);

    c.value = new MaskedValueEdit(c.container);
    c.value->setObjectName(QStringLiteral("DQVALUE_") + n);
    c.value->setMinimumWidth(w.value);
    c.value->setMaxLength(ValueMaxLength);
    c.value->setProperty(MaxLengthProperty, ValueMaxLength);
    c.value->setEnabled(false);
    c.value->filter = [this, r](const QString& typed) { return filterValueText(r, typed); };

    c.valueChoice = new QComboBox(c.container);
    c.valueChoice->setObjectName(QStringLiteral("DQVALUECHOICE_") + n);
    c.valueChoice->setFixedWidth(w.unit);
    QSizePolicy keep = c.valueChoice->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    c.valueChoice->setSizePolicy(keep);
    c.valueChoice->hide();

    c.bracketR = new BracketEdit(QLatin1Char(')'), c.container);
    c.bracketR->setObjectName(QStringLiteral("DQBRACKETR_") + n);
    c.bracketR->setFixedWidth(w.bracket);
    c.bracketR->setAlignment(Qt::AlignCenter);

    c.connection = new QComboBox(c.container);
    c.connection->setObjectName(QStringLiteral("DQCONNECTION_") + n);
    c.connection->addItems(connectionList());
    c.connection->setFixedWidth(w.connection);

    const std::pair<QWidget*, const char*> columns[] = {
        {c.choice, "dqchoice"},         {c.bracketL, "dqbracketl"},    {c.field, "dqfield"},
        {c.evaluation, "dqevaluation"}, {c.value, "dqvalue"},          {c.valueChoice, "dqvaluechoice"},
        {c.bracketR, "dqbracketr"},     {c.connection, "dqconnection"}};
    for (const auto& [widget, column] : columns) {
        widget->setProperty(RowProperty, r);
        widget->setProperty(ColumnProperty, QString::fromLatin1(column));
        widget->installEventFilter(this);
        h->addWidget(widget, widget == c.value ? 1 : 0);
    }
    return c.container;
}

QWidget* Drivedirquery::buildSorting() {
    const ColumnWidths w = columnWidths(this);
    QFrame* sorting = panel(QStringLiteral("sortingpanel"), this);
    auto* v = new QVBoxLayout(sorting);
    v->setContentsMargins(10, 6, 10, 10);
    v->setSpacing(6);
    v->addWidget(
        heading(QStringLiteral("querylabel_6"), QStringLiteral("Sorting"), 0, Qt::AlignLeft, sorting));
    auto* h = new QHBoxLayout;
    h->setSpacing(4);
    for (int i = 0; i < 3; ++i) {
        auto* box = new QComboBox(sorting);
        box->setObjectName(QStringLiteral("sorter_") + QString::number(i));
        box->addItems(conditionFieldList());
        box->setMaxVisibleItems(static_cast<int>(conditionFieldList().size()));
        box->setFixedWidth(w.field);
        box->setToolTip(i == 0 ? QStringLiteral("Main sort field") : QStringLiteral("Next sort field"));
        auto* status = new QToolButton(sorting);
        status->setObjectName(QStringLiteral("Sorterstatus_") + QString::number(i));
        status->setIconSize(QSize(14, 14));
        status->setFixedSize(box->sizeHint().height(), box->sizeHint().height());
        m_sorters[static_cast<size_t>(i)] = box;
        m_sorterStatus[static_cast<size_t>(i)] = status;
        setSorterAscending(i, true);
        connect(box, &QComboBox::currentIndexChanged, this, &Drivedirquery::syncSorters);
        connect(status, &QToolButton::clicked, this, [this, i] {
            setSorterAscending(i,
                               !m_sorterStatus[static_cast<size_t>(i)]->property(AscendingProperty).toBool());
            syncSorters();
        });
        if (i > 0)
            h->addSpacing(14);
        h->addWidget(box);
        h->addWidget(status);
    }
    h->addStretch(1);
    v->addLayout(h);
    return sorting;
}

// ---- rows and model -------------------------------------------------------------------------

RowEncoder Drivedirquery::encoder() const {
    const platform::IntlSettings* intl = &m_app.intl;
    return [intl](const GridRowInput& row) { return encodeGridRow(row, *intl); };
}

GridRowState Drivedirquery::rowState(int r) const {
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

void Drivedirquery::readGrid() {
    for (int r = 0; r < GridRowCount; ++r)
        m_grid.rows[static_cast<size_t>(r)] = rowState(r);
}

void Drivedirquery::applyRow(int r, const GridRowState& s) {
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

void Drivedirquery::applyGrid() {
    for (int r = 0; r < GridRowCount; ++r)
        applyRow(r, m_grid.rows[static_cast<size_t>(r)]);
}

void Drivedirquery::syncScrollBar() {
    const QSignalBlocker block(m_scroll);
    m_scroll->setRange(1, std::max(1, lines().count()));
    m_scroll->setValue(m_grid.currentLine());
}

void Drivedirquery::updateChoiceStyles() {
    for (int r = 0; r < GridRowCount; ++r)
        m_rows[static_cast<size_t>(r)].choice->setCurrent(r == m_grid.currentRow - 1);
}

QWidget* Drivedirquery::control(int r, const QString& column) const {
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

void Drivedirquery::focusCurrentColumn() {
    QWidget* w = control(m_grid.currentRow - 1, m_grid.currentColumn);
    if (!w || !w->isEnabled() || w->isHidden())
        return;
    w->setFocus(Qt::OtherFocusReason);
}

void Drivedirquery::storeGridRows() {
    readGrid();
    zek::storeGridRows(m_grid, lines(), encoder());
    syncSorters();
}

void Drivedirquery::showSettings() {
    ensureInitialLines(lines());
    m_grid.currentRow = 1;
    showLinesFrom(m_grid, lines(), 1, m_app.intl);
    applyGrid();
    for (int i = 0; i < 3; ++i) {
        const Sorter& sorter = m_app.work.settings.sorters[static_cast<size_t>(i)];
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

bool Drivedirquery::eventFilter(QObject* watched, QEvent* event) {
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

void Drivedirquery::rowFocused(int r, const QString& column) {
    m_grid.currentRow = r + 1;
    m_grid.currentColumn = column;
    syncScrollBar();
    updateChoiceStyles();
    if (column == QLatin1String("dqvalue"))
        fieldClicked(r);
}

void Drivedirquery::fieldClicked(int r) {
    RowControls& c = m_rows[static_cast<size_t>(r)];
    const QString name = c.field->currentText();
    if (name.isEmpty() || name == m_rowSetupField[static_cast<size_t>(r)])
        return;
    GridRowState row = rowState(r);
    setupRowForField(row, name, m_app.intl);
    applyRow(r, row);
    if (c.value->isEnabled())
        c.value->setFocus(Qt::OtherFocusReason);
}

QString Drivedirquery::filterValueText(int r, const QString& typed) const {
    const RowControls& c = m_rows[static_cast<size_t>(r)];
    const QString unit = c.valueChoice->isHidden() ? QString() : c.valueChoice->currentText();
    const QString field = c.field->currentText();
    QString out;
    for (QChar ch : typed) {
        const int key = filterValueKey(field, ch.unicode(), unit, m_app.intl);
        if (key != 0)
            out += QChar(key);
    }
    return out;
}

void Drivedirquery::validateValue(int r) {
    RowControls& c = m_rows[static_cast<size_t>(r)];
    if (m_quiet || !c.value->isEnabled())
        return;
    const QScopedValueRollback guard(m_quiet, true);
    QString text = c.value->maskedText();
    const QString before = text;
    const EntryOutcome outcome =
        validateValueEntry(c.field->currentText(), text, m_app.intl, [] { QApplication::beep(); });
    if (text != before)
        c.value->setMaskedText(text);
    {
        // Leaving the box puts the evaluation back to its first entry.
        const QSignalBlocker block(c.evaluation);
        c.evaluation->setCurrentIndex(0);
    }
    if (outcome == EntryOutcome::Retry) {
        // After the focus change under way has ended.
        QTimer::singleShot(0, c.value, [box = QPointer<MaskedValueEdit>(c.value)] {
            if (box)
                box->setFocus(Qt::OtherFocusReason);
        });
    } else if (outcome == EntryOutcome::Cancel) {
        GridRowState row = rowState(r);
        setupRowForField(row, m_app.intl);
        applyRow(r, row);
    }
}

void Drivedirquery::scrolled(int value) {
    readGrid();
    if (scrollGrid(m_grid, lines(), value, m_app.intl, encoder()))
        applyGrid();
    syncScrollBar();
    updateChoiceStyles();
    focusCurrentColumn();
}

void Drivedirquery::addLine() {
    storeGridRows();
    const int proposed = m_scroll->value();
    const int p = platform::prompter().position(
        platform::PositionRequest{QStringLiteral("Add queryfield"), lines().count(), proposed});
    const int row = zek::addLine(m_grid, lines(), p, m_app.intl, encoder());
    if (row < 0)
        return;
    applyGrid();
    syncScrollBar();
    updateChoiceStyles();
    m_rows[static_cast<size_t>(row)].field->setFocus(Qt::OtherFocusReason);
}

void Drivedirquery::demoteLine() {
    readGrid();
    if (zek::demoteLine(m_grid, lines(), m_app.intl, encoder()))
        applyGrid();
}

void Drivedirquery::promoteLine() {
    readGrid();
    if (zek::promoteLine(m_grid, lines(), m_app.intl, encoder()))
        applyGrid();
}

void Drivedirquery::deleteLine() {
    readGrid();
    zek::deleteLine(m_grid, m_app.intl);
    applyRow(m_grid.currentRow - 1, m_grid.rows[static_cast<size_t>(m_grid.currentRow - 1)]);
}

void Drivedirquery::setSorterAscending(int i, bool ascending) {
    QToolButton* status = m_sorterStatus[static_cast<size_t>(i)];
    status->setProperty(AscendingProperty, ascending);
    status->setIcon(QIcon(ascending ? ascendingPicture() : descendingPicture()));
    status->setToolTip(ascending ? QStringLiteral("Ascending; click for descending")
                                 : QStringLiteral("Descending; click for ascending"));
}

void Drivedirquery::syncSorters() {
    for (int i = 0; i < 3; ++i) {
        const QComboBox* box = m_sorters[static_cast<size_t>(i)];
        Sorter& sorter = m_app.work.settings.sorters[static_cast<size_t>(i)];
        sorter.text = box->currentIndex() > 0 ? box->currentText() : QString();
        sorter.ascending = m_sorterStatus[static_cast<size_t>(i)]->property(AscendingProperty).toBool();
    }
}

QString Drivedirquery::mainSortField() const {
    for (const QComboBox* box : m_sorters) {
        if (box->currentIndex() > 0)
            return box->currentText();
    }
    return QStringLiteral("PATH");
}

void Drivedirquery::showNotYetImplemented() {
    platform::msgBox(QStringLiteral("Not yet implemented"));
}

// ---- activation -----------------------------------------------------------------------------

void Drivedirquery::activate() {
    m_active = true;
    if (entryItemsVisible)
        entryItemsVisible(true);
}

void Drivedirquery::deactivate() {
    m_active = false;
    if (entryItemsVisible)
        entryItemsVisible(false);
    storeGridRows();
    handOverMainSortField();
}

void Drivedirquery::handOverMainSortField() {
    // The Summary report groups by the main sort field: it becomes the first summary column.
    const QString main = mainSortField();
    ReportColumns& columns = m_app.work.settings.summaryColumns;
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
}

void Drivedirquery::attachToSubWindow() {
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

bool Drivedirquery::event(QEvent* event) {
    if (event->type() == QEvent::ParentChange)
        attachToSubWindow();
    return QWidget::event(event);
}

void Drivedirquery::closeEvent(QCloseEvent* event) {
    // The window lives as long as the program; it cannot be closed.
    event->ignore();
}

Drivedirquery* openConditionsWindow(QMdiArea* area, AppState& app,
                                    std::function<void(bool)> entryItemsVisible) {
    auto* window = new Drivedirquery(app);
    window->entryItemsVisible = std::move(entryItemsVisible);
    QMdiSubWindow* sub = area->addSubWindow(window, Qt::SubWindow | Qt::CustomizeWindowHint |
                                                        Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint);
    sub->setWindowIcon(QApplication::windowIcon());
    sub->adjustSize();
    window->show();

    db::WorkFileHooks& hooks = app.work.hooks;
    const QPointer<Drivedirquery> guarded(window);
    hooks.storeGridRows = [previous = hooks.storeGridRows, guarded] {
        if (previous)
            previous();
        if (guarded)
            guarded->storeGridRows();
    };
    hooks.settingsReloaded = [previous = hooks.settingsReloaded, guarded] {
        if (previous)
            previous();
        if (guarded)
            guarded->showSettings();
    };
    return window;
}

} // namespace zek
