// Building the Conditions & Sorting window's controls.
#include "query/gui/conditions_window.h"

#include "platform/gui/command_button.h"
#include "query/gui/grid_edits.h"
#include "work/work_schema.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace zek {

namespace {

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
    c.unit =
        std::max(fm.horizontalAdvance(QStringLiteral("MB")), fm.horizontalAdvance(QStringLiteral("PM"))) +
        listExtra;
    c.connection = fit(fm.horizontalAdvance(QStringLiteral("AND NOT")) + listExtra, "Connection");
    return c;
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

} // namespace

using platform::commandButton;

ConditionsWindow::ConditionsWindow(work::WorkState& work, const platform::IntlSettings& intl, QWidget* parent)
    : QWidget(parent), m_work(work), m_intl(intl) {
    setObjectName(QStringLiteral("Drivedirquery"));
    setWindowTitle(QStringLiteral("Conditions & Sorting"));
    buildWindow();
    showSettings();
}

// ---- building -------------------------------------------------------------------------------

void ConditionsWindow::buildWindow() {
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
    connect(m_scroll, &QScrollBar::valueChanged, this, &ConditionsWindow::scrolled);

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
    connect(add, &QPushButton::clicked, this, &ConditionsWindow::addLine);
    connect(demote, &QPushButton::clicked, this, &ConditionsWindow::demoteLine);
    connect(promote, &QPushButton::clicked, this, &ConditionsWindow::promoteLine);
    connect(remove, &QPushButton::clicked, this, &ConditionsWindow::deleteLine);
    connect(activateQuery, &QPushButton::clicked, this, &ConditionsWindow::showNotYetImplemented);

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

QWidget* ConditionsWindow::buildHeading() {
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

QWidget* ConditionsWindow::buildRow(int r) {
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
    c.bracketL->setMaxLength(work::DqBracketSize); // as many as the work file keeps

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
    c.bracketR->setMaxLength(work::DqBracketSize); // as many as the work file keeps

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

QWidget* ConditionsWindow::buildSorting() {
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
        connect(box, &QComboBox::currentIndexChanged, this, &ConditionsWindow::syncSorters);
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

} // namespace zek
