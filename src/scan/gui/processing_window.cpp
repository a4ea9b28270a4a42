#include "scan/gui/processing_window.h"

#include "platform/prompt.h"
#include "scan/capacity_text.h"
#include "scan/progress_text.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace zek {

namespace {

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text = QString()) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

// A text too wide for its label loses its middle, so that both the start of a path and the name
// at its end stay in sight.
void setElidedText(QLabel* label, const QString& text) {
    label->setText(label->fontMetrics().elidedText(text, Qt::ElideMiddle, label->width()));
}

} // namespace

ProcessingWindow::ProcessingWindow(scan::ScanState& scan, work::WorkState& ws,
                                   const platform::IntlSettings& intl, QWidget* parent,
                                   scan::ScanPacing pacing)
    : QDialog(parent), m_scan(scan), m_ws(ws), m_intl(intl), m_pacing(pacing) {
    setObjectName(QStringLiteral("drivedirprocform"));
    setWindowTitle(QStringLiteral("Processing drive and directory selection"));
    setModal(true);
    // No help button; the close box stays, but a close request is refused (closeEvent).
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    // Controls in their classic order.
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setSingleShot(true);
    // Long enough for the window to be painted before the scan takes the thread.
    m_timer->setInterval(50);
    connect(m_timer, &QTimer::timeout, this, &ProcessingWindow::firstTick);

    m_cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("Command1"));
    connect(m_cancel, &QPushButton::clicked, this, &ProcessingWindow::cancel);

    QLabel* pathCaption = makeLabel(this, "Label3", QStringLiteral("Path:"));
    m_path = makeLabel(this, "drivedirpath");
    m_freePercent = makeLabel(this, "freecapacitycp");
    m_freeBytes = makeLabel(this, "freecapacityc");
    m_freeCaption = makeLabel(this, "freecapacity");
    m_totalBytes = makeLabel(this, "totalcapacityc");
    m_totalCaption = makeLabel(this, "totalcapacity");
    m_file = makeLabel(this, "drivedirfile");
    QLabel* fileCaption = makeLabel(this, "Label1", QStringLiteral("File:"));
    m_progress = makeLabel(this, "lblProgress");
    m_progress->setTextFormat(Qt::PlainText);

    for (QLabel* l : {m_totalBytes, m_freeBytes, m_freePercent})
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Long paths must not widen the window at every folder.
    for (QLabel* l : {m_path, m_file}) {
        l->setMinimumWidth(360);
        l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        l->setTextFormat(Qt::PlainText);
    }

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_totalCaption, 0, 0, 1, 2);
    grid->addWidget(m_totalBytes, 0, 2);
    grid->addWidget(m_freeCaption, 1, 0, 1, 2);
    grid->addWidget(m_freeBytes, 1, 2);
    grid->addWidget(m_freePercent, 2, 2);
    grid->addWidget(pathCaption, 3, 0);
    grid->addWidget(m_path, 3, 1, 1, 2);
    grid->addWidget(fileCaption, 4, 0);
    grid->addWidget(m_file, 4, 1, 1, 2);
    grid->addWidget(m_progress, 5, 1, 1, 2);
    grid->addWidget(m_cancel, 6, 1, 1, 1, Qt::AlignCenter);
    grid->setColumnStretch(1, 1);
    resize(520, 220);

    // Loading: busy pointer, Cancel cleared, then the timer once the window is on screen.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_busyCursor = true;
    m_scan.scanCancel = false;
}

ProcessingWindow::~ProcessingWindow() {
    if (m_busyCursor)
        QApplication::restoreOverrideCursor();
}

scan::ScanOutcome ProcessingWindow::runScan(scan::ScanState& scan, work::WorkState& ws,
                                            const platform::IntlSettings& intl, QWidget* parent,
                                            scan::ScanPacing pacing) {
    ProcessingWindow form(scan, ws, intl, parent, pacing);
    form.exec();
    const scan::ScanOutcome outcome = form.outcome();
    if (outcome == scan::ScanOutcome::Failed) {
        platform::msgBox("Error # " + QString::number(scan.errorNumber) + " : " + scan.errorText +
                             " occured when scanning.",
                         platform::MbOkOnly + platform::MbCritical);
    }
    const scan::ScanCounters& n = scan.counters;
    if (n.problems() > 0) {
        QString text = QStringLiteral("%1 folders and %2 entries could not be read and were skipped.")
                           .arg(n.foldersSkipped)
                           .arg(n.entriesSkipped);
        const QStringList& shown = form.problems();
        for (qsizetype i = 0; i < shown.size() && i < 10; ++i)
            text += QStringLiteral("\r\n") + shown.at(i);
        if (shown.size() > 10)
            text += QStringLiteral("\r\n...");
        platform::msgBox(text, platform::MbOkOnly + platform::MbExclamation);
    }
    return outcome;
}

void ProcessingWindow::centerInWorkArea() {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
}

void ProcessingWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    centerInWorkArea();
    m_timer->start();
}

void ProcessingWindow::firstTick() {
    m_timer->stop();
    m_scanning = true;
    m_scanClock.start();
    m_sincePump.start();
    m_outcome = scan::scanSelectedFolders(m_scan, m_ws, *this, m_pacing);
    m_scanning = false;
    if (m_busyCursor) {
        QApplication::restoreOverrideCursor();
        m_busyCursor = false;
    }
    m_closing = true;
    accept();
}

void ProcessingWindow::cancel() {
    m_scan.scanCancel = true;
}

void ProcessingWindow::closeEvent(QCloseEvent* event) {
    // Only the end of the scan closes the window.
    if (m_closing)
        QDialog::closeEvent(event);
    else
        event->ignore();
}

void ProcessingWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    // The labels' widths changed: elide the full texts again.
    showTexts();
}

void ProcessingWindow::reject() {
    // Escape is a close request like any other.
    if (m_closing)
        QDialog::reject();
}

void ProcessingWindow::showCapacity(const QString& driveRoot, const scan::DriveCapacity& capacity) {
    const scan::CapacityLines lines = scan::capacityLines(driveRoot, capacity, m_intl);
    m_totalCaption->setText(lines.totalCaption);
    m_totalBytes->setText(lines.totalBytes);
    m_freeCaption->setText(lines.freeCaption);
    m_freeBytes->setText(lines.freeBytes);
    m_freePercent->setText(lines.freePercent);
}

void ProcessingWindow::showFolder(const QString& text) {
    m_folderText = text;
    m_textsChanged = true;
    // The walker pumps between a folder's entries. Thousands of empty folders in a row (the last
    // level of a wide tree) bring none, and the window would stop painting and hearing Cancel until
    // the next file; the folders themselves keep it turning.
    if (m_sincePump.isValid() && m_sincePump.elapsed() >= m_pacing.pumpInterval)
        pump();
}

void ProcessingWindow::showEntry(QStringView text) {
    // Copied into the kept string, which reallocates only when the label has taken a share of it.
    m_entryText.resize(text.size());
    std::copy(text.begin(), text.end(), m_entryText.begin());
    m_textsChanged = true;
}

void ProcessingWindow::pump() {
    m_sincePump.start();
    if (m_textsChanged) {
        showTexts();
        m_textsChanged = false;
    }
    if (m_scanClock.isValid()) {
        const scan::ScanCounters& n = m_scan.counters;
        m_progress->setText(
            scan::progressText(n.entries, n.folders, m_scanClock.elapsed(), m_intl.sThousand));
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void ProcessingWindow::showTexts() {
    setElidedText(m_path, m_folderText);
    setElidedText(m_file, m_entryText);
}

void ProcessingWindow::showProblem(const QString& text) {
    if (m_problems.size() < ProblemsKept)
        m_problems << text;
}

} // namespace zek
