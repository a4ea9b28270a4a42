// Building the report setup window's controls.
#include "report/gui/report_setup_window.h"

#include "platform/gui/command_button.h"
#include "platform/whole_characters.h"
#include "report/gui/spin_button.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace zek {

namespace {

// How long after a name is picked the window takes it up: a name list scrolled with the arrow keys
// passes several names before the user settles on one.
constexpr int FieldTimerInterval = 300;

QLabel* label(const QString& name, const QString& text, QWidget* parent, bool heading = false) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    if (heading) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    return l;
}

QLineEdit* textBox(const QString& name, int maxLength, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setMaxLength(maxLength);
    // Cut at its length, the box keeps whole characters: half of one would not read back from the
    // work file as it was typed.
    box->setValidator(new platform::WholeCharactersValidator(box));
    return box;
}

// Digits only, typed or pasted; Backspace and the other editing keys still work.
QLineEdit* numberBox(const QString& name, int maxLength, QWidget* parent) {
    QLineEdit* box = textBox(name, maxLength, parent);
    box->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box));
    box->setAlignment(Qt::AlignRight);
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 16);
    return box;
}

} // namespace

using platform::commandButton;

void ReportSetupWindow::buildWindow() {
    const bool detail = m_kind == report::SetupKind::Detail;
    setObjectName(detail ? QStringLiteral("SetupDetail") : QStringLiteral("frmsummary"));
    setWindowTitle(detail ? QStringLiteral("Setup Detail Report") : QStringLiteral("Setup Summary Report"));

    m_fieldTimer = new QTimer(this);
    m_fieldTimer->setObjectName(QStringLiteral("fieldingridtimer"));
    m_fieldTimer->setSingleShot(true);
    m_fieldTimer->setInterval(FieldTimerInterval);

    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(10, 10, 10, 10);
    top->setSpacing(8);
    top->addWidget(label(QStringLiteral("reportheaderlabel"), QStringLiteral("Report Header"), this, true));
    top->addWidget(buildTitles());
    top->addWidget(label(QStringLiteral("fieldsingridlabel"), QStringLiteral("Fields in Grid"), this, true));
    m_grid = new QTableWidget(0, 0, this);
    m_grid->setObjectName(QStringLiteral("samplegrid"));
    m_grid->verticalHeader()->hide();
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectColumns);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // An attribute column is a single mark wide.
    m_grid->horizontalHeader()->setMinimumSectionSize(1);
    m_grid->horizontalHeader()->setHighlightSections(true);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 8);
    // Room for the headings, two sample rows and the scroll bar; a taller window gives it more.
    m_grid->setRowCount(2);
    m_grid->setMinimumHeight(
        m_grid->horizontalHeader()->sizeHint().height() + 2 * m_grid->verticalHeader()->defaultSectionSize() +
        m_grid->horizontalScrollBar()->sizeHint().height() + 2 * m_grid->frameWidth() + 4);
    top->addWidget(m_grid, 1);
    top->addWidget(label(QStringLiteral("addfieldlabel"), QStringLiteral("Add field"), this, true));
    top->addWidget(buildFields());
}

QWidget* ReportSetupWindow::buildTitles() {
    auto* panel = new QWidget(this);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    m_firstTitle = textBox(QStringLiteral("first_title"), 100, panel);
    m_secondTitle = textBox(QStringLiteral("second_title"), 100, panel);
    m_firstFootnote = textBox(QStringLiteral("first_footnote"), 100, panel);
    m_secondFootnote = textBox(QStringLiteral("second_footnote"), 100, panel);
    const std::pair<QLineEdit*, const char*> rows[] = {{m_firstTitle, "First Title"},
                                                       {m_secondTitle, "Second Title"},
                                                       {m_firstFootnote, "First Footnote"},
                                                       {m_secondFootnote, "Second Footnote"}};
    int r = 0;
    for (const auto& [box, text] : rows) {
        grid->addWidget(label(box->objectName() + QStringLiteral("label"), QString::fromLatin1(text), panel),
                        r, 0);
        grid->addWidget(box, r, 1);
        connect(box, &QLineEdit::textEdited, this, &ReportSetupWindow::storeTitles);
        ++r;
    }
    return panel;
}

QWidget* ReportSetupWindow::buildFields() {
    auto* panel = new QWidget(this);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);

    m_name = new QComboBox(panel);
    m_name->setObjectName(QStringLiteral("dsfieldname"));
    m_name->setMinimumWidth(m_name->fontMetrics().horizontalAdvance(QStringLiteral("%OCCUPIED DISKSPACE")) +
                            40);
    m_unit = new QComboBox(panel);
    m_unit->setObjectName(QStringLiteral("DQVALUECHOICE"));
    m_unit->addItems(report::unitChoices());
    m_unit->hide();
    m_description = textBox(QStringLiteral("dsfielddesc"), 40, panel);
    m_width = numberBox(QStringLiteral("dsfieldwidth"), 5, panel);
    m_widthSpin = new SpinButton(QStringLiteral("dsfieldwidthSpin"), panel);
    m_position = numberBox(QStringLiteral("dsfieldpos"), 4, panel);
    m_positionSpin = new SpinButton(QStringLiteral("dsfieldposSpin"), panel);

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(m_name, 1);
    nameRow->addWidget(m_unit);
    auto* widthRow = new QHBoxLayout;
    widthRow->setSpacing(2);
    widthRow->addWidget(m_width);
    widthRow->addWidget(m_widthSpin);
    widthRow->addStretch(1);
    auto* positionRow = new QHBoxLayout;
    positionRow->setSpacing(2);
    positionRow->addWidget(m_position);
    positionRow->addWidget(m_positionSpin);
    positionRow->addStretch(1);

    grid->addWidget(label(QStringLiteral("namelabel"), QStringLiteral("Name"), panel), 0, 0);
    grid->addLayout(nameRow, 0, 1);
    grid->addWidget(label(QStringLiteral("descriptionlabel"), QStringLiteral("Description"), panel), 1, 0);
    grid->addWidget(m_description, 1, 1);
    grid->addWidget(label(QStringLiteral("widthlabel"), QStringLiteral("Width"), panel), 2, 0);
    grid->addLayout(widthRow, 2, 1);
    grid->addWidget(label(QStringLiteral("positionlabel"), QStringLiteral("Position"), panel), 3, 0);
    grid->addLayout(positionRow, 3, 1);

    m_add = commandButton(QStringLiteral("add"), QStringLiteral("&Add"), panel);
    m_promote = commandButton(QStringLiteral("promote"), QStringLiteral("&Promote"), panel);
    m_demote = commandButton(QStringLiteral("demote"), QStringLiteral("D&emote"), panel);
    m_delete = commandButton(QStringLiteral("delete"), QStringLiteral("&Delete"), panel);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {m_add, m_promote, m_demote, m_delete})
        buttons->addWidget(b);
    grid->addLayout(buttons, 4, 0, 1, 2);

    for (QLineEdit* box : {m_description, m_width, m_position})
        box->installEventFilter(this);
    connect(m_name, &QComboBox::activated, this, &ReportSetupWindow::namePicked);
    connect(m_fieldTimer, &QTimer::timeout, this, &ReportSetupWindow::nameSettled);
    connect(m_unit, &QComboBox::activated, this, [this] { settleEdits(); });
    connect(m_width, &QLineEdit::textEdited, this, &ReportSetupWindow::previewWidth);
    connect(m_widthSpin, &SpinButton::spinUp, this, [this] { spinWidth(true); });
    connect(m_widthSpin, &SpinButton::spinDown, this, [this] { spinWidth(false); });
    connect(m_position, &QLineEdit::textEdited, this, &ReportSetupWindow::positionTyped);
    connect(m_positionSpin, &SpinButton::spinUp, this,
            [this] { moveTo(report::positionSpinUp(m_shown, count())); });
    connect(m_positionSpin, &SpinButton::spinDown, this,
            [this] { moveTo(report::positionSpinDown(m_shown)); });
    connect(m_add, &QPushButton::clicked, this, &ReportSetupWindow::addField);
    connect(m_promote, &QPushButton::clicked, this, &ReportSetupWindow::promoteField);
    connect(m_demote, &QPushButton::clicked, this, &ReportSetupWindow::demoteField);
    connect(m_delete, &QPushButton::clicked, this, &ReportSetupWindow::deleteField);
    connect(m_grid, &QTableWidget::currentCellChanged, this, [this](int, int column) {
        if (!m_checking && column >= 0 && column + 1 != m_shown)
            moveTo(column + 1);
    });
    return panel;
}

} // namespace zek
