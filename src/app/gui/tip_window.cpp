#include "app/gui/tip_window.h"

#include "app/app_state.h"
#include "app/gui/window_placement.h"
#include "db/engine.h"
#include "platform/prompt.h"
#include "platform/system_info.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTextEdit>
#include <QVBoxLayout>

namespace zek {

namespace {

// The window opens this far below the middle of the screen.
constexpr int BelowCentreTwips = 200;

const QString Title = QStringLiteral("Welcome");

} // namespace

TipWindow::TipWindow(const QString& workDirectory, const QString& iniFileName, TipRandom random,
                     QWidget* parent)
    : QDialog(parent), m_random(std::move(random)) {
    setObjectName(QStringLiteral("frmTip"));
    setWindowTitle(Title);
    setModal(true);
    m_tip.workDirectory = workDirectory;
    m_tip.iniFileName = iniFileName;

    // The tip sits on a white panel, the heading above it.
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("pnlTip"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setAutoFillBackground(true);
    panel->setBackgroundRole(QPalette::Base);

    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("picTip"));
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(40, 40));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* heading = new QLabel("Welcome to " + ProductName + " " +
                                   platform::formatNumber(ProgramVersion, QStringLiteral("#0.00")),
                               panel);
    heading->setObjectName(QStringLiteral("lblHeading"));
    QFont big = heading->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    heading->setFont(big);

    auto* rule = new QFrame(panel);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);

    m_text = new QTextEdit(panel);
    m_text->setObjectName(QStringLiteral("txtTip"));
    m_text->setReadOnly(true);
    m_text->setFrameShape(QFrame::NoFrame);
    m_text->setLineWrapMode(QTextEdit::WidgetWidth);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text->setFocusPolicy(Qt::NoFocus);
    m_text->viewport()->setAutoFillBackground(false);
    m_text->document()->setDocumentMargin(0);

    auto* textColumn = new QVBoxLayout;
    textColumn->setSpacing(8);
    textColumn->addWidget(heading);
    textColumn->addWidget(rule);
    textColumn->addWidget(m_text, 1);

    auto* panelLayout = new QHBoxLayout(panel);
    panelLayout->setContentsMargins(14, 14, 14, 10);
    panelLayout->setSpacing(14);
    panelLayout->addWidget(icon, 0, Qt::AlignTop);
    panelLayout->addLayout(textColumn, 1);

    auto* next = new QPushButton(QStringLiteral("Next &Tip"), this);
    next->setObjectName(QStringLiteral("cmdNextTip"));
    auto* close = new QPushButton(QStringLiteral("&Close"), this);
    close->setObjectName(QStringLiteral("cmdClose"));
    close->setDefault(true);
    for (QPushButton* b : {next, close})
        b->setMinimumWidth(100);
    connect(next, &QPushButton::clicked, this, &TipWindow::showNextTip);
    connect(close, &QPushButton::clicked, this, &TipWindow::closeTip);

    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(8);
    buttons->addWidget(next);
    buttons->addWidget(close);
    buttons->addStretch(1);

    auto* top = new QHBoxLayout;
    top->setSpacing(12);
    top->addWidget(panel, 1);
    top->addLayout(buttons);

    m_showNextTime = new QCheckBox(QStringLiteral("&Show this Welcome Screen next time you start ZEK"), this);
    m_showNextTime->setObjectName(QStringLiteral("chkShowWelcome"));
    m_showNextTime->setChecked(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 12);
    layout->setSpacing(10);
    layout->addLayout(top, 1);
    layout->addWidget(m_showNextTime);

    // Room for the longest tip without a scroll bar.
    panel->setFixedSize(460, 250);
    setFixedSize(sizeHint());
    centerOnScreen(this, BelowCentreTwips);

    try {
        platform::HostError settingsError;
        const std::optional<QString> memo = openTipOfTheDay(m_tip, m_random, &settingsError);
        displayMemo(memo);
        if (settingsError.number != 0 || !settingsError.text.isEmpty())
            reportSettingsError(settingsError);
    } catch (const db::EngineError& e) {
        reportEngineError(e.number(), e.description());
    }
}

QString TipWindow::tipText() const {
    return m_text->toPlainText();
}

void TipWindow::displayMemo(const std::optional<QString>& memo) {
    if (!memo)
        return;
    QString text = *memo;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // Every stored line ends with a line end; the last would only add an empty line.
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    m_text->setPlainText(text);
}

void TipWindow::reportEngineError(int number, const QString& description) {
    platform::msgBox("Error # " + QString::number(number) + " : " + description + " occured when reading " +
                         tipDatabasePath(m_tip.workDirectory),
                     platform::MbOkOnly + platform::MbCritical, Title);
}

void TipWindow::reportSettingsError(const platform::HostError& error) {
    platform::msgBox("Error # " + QString::number(error.number) + " : " + error.text +
                         " occured when writing " + m_tip.iniFileName,
                     platform::MbOkOnly + platform::MbCritical, Title);
}

void TipWindow::showNextTip() {
    try {
        displayMemo(nextTip(m_tip));
    } catch (const db::EngineError& e) {
        reportEngineError(e.number(), e.description());
    }
}

void TipWindow::closeTip() {
    if (m_closing)
        return;
    m_closing = true;
    platform::HostError error;
    if (!closeTipOfTheDay(m_tip.iniFileName, m_showNextTime->isChecked(), &error))
        reportSettingsError(error);
    QDialog::accept();
}

void TipWindow::reject() {
    closeTip();
}

void TipWindow::showModal(const QString& workDirectory, const QString& iniFileName, QWidget* parent) {
    TipWindow window(workDirectory, iniFileName, {}, parent);
    platform::prompter().execDialog(window);
}

} // namespace zek
