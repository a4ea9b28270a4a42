#include "report/gui/report_setup_window.h"

#include "platform/prompt.h"
#include "platform/twips.h"
#include "report/gui/spin_button.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QTimer>

namespace zek {

using report::SetupKind;

ReportSetupWindow::ReportSetupWindow(work::WorkState& work, SetupKind kind, QWidget* parent)
    : QWidget(parent), m_work(work), m_kind(kind) {
    buildWindow();
    rebuildFromList();
}

ReportColumns& ReportSetupWindow::columns() {
    return m_kind == SetupKind::Detail ? m_work.settings.detailColumns : m_work.settings.summaryColumns;
}

ReportTitles& ReportSetupWindow::titles() {
    return m_kind == SetupKind::Detail ? m_work.settings.detailTitles : m_work.settings.summaryTitles;
}

// ---- showing the list -----------------------------------------------------------------------

void ReportSetupWindow::fillNameList() {
    const QSignalBlocker block(m_name);
    m_name->clear();
    if (m_kind == SetupKind::Detail) {
        m_name->addItems(report::detailFieldNames());
        return;
    }
    // The Summary report groups by its first column; a work file keeps it there.
    const QString first = columns().empty() ? QString() : columns().front().name.trimmed();
    const bool grouping = !first.isEmpty() && !report::summaryFieldNames().mid(1).contains(first);
    m_name->addItems(report::summaryFieldNames(grouping ? first : QStringLiteral("PATH")));
}

void ReportSetupWindow::setGridColumn(int p) {
    const ReportColumn& c = columns()[static_cast<size_t>(p - 1)];
    m_grid->setHorizontalHeaderItem(p - 1, new QTableWidgetItem(c.description));
    m_grid->setColumnWidth(p - 1, platform::twipsToPixels(c.width));
}

void ReportSetupWindow::fillGrid() {
    const QSignalBlocker block(m_grid);
    m_grid->setColumnCount(count());
    for (int p = 1; p <= count(); ++p)
        setGridColumn(p);
}

void ReportSetupWindow::selectGridColumn(int p) {
    const QSignalBlocker block(m_grid);
    m_grid->clearSelection();
    if (p < 1)
        return;
    m_grid->setCurrentCell(0, p - 1);
    m_grid->selectColumn(p - 1);
}

void ReportSetupWindow::showUnitListFor(const QString& name, const QString& extra) {
    const QSignalBlocker block(m_unit);
    m_unit->setCurrentIndex(report::unitIndex(extra));
    m_unit->setVisible(report::hasUnitList(m_kind, name));
}

void ReportSetupWindow::showColumn(int p) {
    m_fieldTimer->stop();
    m_shown = p;
    const QSignalBlocker blockName(m_name);
    if (p < 1) {
        m_unlistedName.clear();
        m_name->setCurrentIndex(-1);
        m_name->setPlaceholderText(QString());
        m_description->clear();
        m_width->clear();
        m_position->clear();
        showUnitListFor(QString(), QString());
        selectGridColumn(0);
        return;
    }
    const ReportColumn& c = columns()[static_cast<size_t>(p - 1)];
    const int at = m_name->findText(c.name);
    m_name->setCurrentIndex(at);
    m_unlistedName = at < 0 ? c.name : QString();
    m_name->setPlaceholderText(m_unlistedName);
    showUnitListFor(c.name, c.extra);
    m_description->setText(c.description);
    m_width->setText(QString::number(c.width));
    m_position->setText(QString::number(p));
    selectGridColumn(p);
}

void ReportSetupWindow::showTitles() {
    const ReportTitles& t = titles();
    m_firstTitle->setText(t.firstTitle);
    m_secondTitle->setText(t.secondTitle);
    m_firstFootnote->setText(t.firstFootnote);
    m_secondFootnote->setText(t.secondFootnote);
}

void ReportSetupWindow::storeTitles() {
    ReportTitles& t = titles();
    t.firstTitle = m_firstTitle->text();
    t.secondTitle = m_secondTitle->text();
    t.firstFootnote = m_firstFootnote->text();
    t.secondFootnote = m_secondFootnote->text();
}

void ReportSetupWindow::rebuildFromList() {
    fillNameList();
    fillGrid();
    showColumn(count() > 0 ? 1 : 0);
    showTitles();
}

void ReportSetupWindow::groupingColumnChanged() {
    if (m_kind != SetupKind::Summary || columns().empty())
        return;
    const bool firstSelected = m_name->currentIndex() == 0;
    fillNameList();
    if (firstSelected) {
        const QSignalBlocker block(m_name);
        m_name->setCurrentIndex(0);
    }
    {
        const QSignalBlocker block(m_grid);
        setGridColumn(1);
    }
    // The first column was replaced as a whole: whatever its boxes held gave way to it.
    if (m_shown == 1)
        showColumn(1);
    else
        showUnitListFor(shownName(), m_unit->currentText());
}

// ---- edits of the shown column --------------------------------------------------------------

QString ReportSetupWindow::shownName() const {
    return m_name->currentIndex() >= 0 ? m_name->currentText() : m_unlistedName;
}

report::ColumnEdits ReportSetupWindow::edits() const {
    report::ColumnEdits e;
    e.name = shownName();
    e.description = m_description->text();
    e.extra = m_unit->isHidden() ? QString() : m_unit->currentText();
    e.width = report::checkWidthText(m_width->text()).width;
    return e;
}

ReportSetupWindow::BoxCheck ReportSetupWindow::checkWidthBox() {
    const report::WidthCheck check = report::checkWidthText(m_width->text());
    if (check.entry == report::WidthEntry::Valid)
        return BoxCheck::Valid;
    if (check.entry == report::WidthEntry::Empty) {
        m_width->setText(QString::number(check.width));
        previewWidth();
        return BoxCheck::Valid;
    }
    const QScopedValueRollback guard(m_checking, true);
    const int answer =
        platform::msgBox(report::WidthRangeMessage, platform::MbRetryCancel | platform::MbQuestion,
                         report::PositionErrorTitle);
    if (answer == platform::IdRetry) {
        // Back into the box once the focus change under way has ended.
        QTimer::singleShot(0, m_width, [box = QPointer<QLineEdit>(m_width)] {
            if (box) {
                box->setFocus(Qt::OtherFocusReason);
                box->selectAll();
            }
        });
        return BoxCheck::Retry;
    }
    m_width->clear();
    return BoxCheck::Emptied;
}

bool ReportSetupWindow::settleEdits() {
    if (m_shown < 1 || m_shown > count())
        return true;
    // A command takes the width box as it is: out of range it is filled again (Retry) or emptied,
    // and an empty box stands for 180.
    const BoxCheck width = checkWidthBox();
    if (width == BoxCheck::Retry)
        return false;
    if (width == BoxCheck::Emptied)
        checkWidthBox();

    const QScopedValueRollback guard(m_checking, true);
    ReportColumn& stored = columns()[static_cast<size_t>(m_shown - 1)];
    const report::ColumnEdits e = edits();
    const report::PendingEdits pending = report::pendingEdits(stored, e);
    const QSignalBlocker block(m_grid);
    if (pending.field) {
        const int answer =
            platform::msgBox(report::fieldChangedMessage(m_kind), platform::MbOkCancel | platform::MbQuestion,
                             report::QueryInformationTitle);
        if (answer == platform::IdOk) {
            report::acceptFieldEdits(stored, e, m_kind);
        } else {
            const QSignalBlocker blockName(m_name);
            m_name->setCurrentIndex(m_name->findText(stored.name));
            m_description->setText(stored.description);
            showUnitListFor(stored.name, stored.extra);
        }
        setGridColumn(m_shown);
    }
    if (pending.width) {
        const int answer =
            platform::msgBox(report::WidthChangedMessage, platform::MbOkCancel | platform::MbQuestion,
                             report::QueryInformationTitle);
        if (answer == platform::IdOk)
            stored.width = e.width;
        else
            m_width->setText(QString::number(stored.width));
        setGridColumn(m_shown);
    }
    return true;
}

void ReportSetupWindow::previewWidth() {
    if (m_shown < 1 || m_shown > count())
        return;
    const report::WidthCheck check = report::checkWidthText(m_width->text());
    if (check.entry != report::WidthEntry::OutOfRange)
        m_grid->setColumnWidth(m_shown - 1, platform::twipsToPixels(check.width));
}

void ReportSetupWindow::spinWidth(bool up) {
    if (m_shown < 1)
        return;
    bool ok = false;
    int width = m_width->text().toInt(&ok);
    if (!ok)
        width = columns()[static_cast<size_t>(m_shown - 1)].width;
    m_width->setText(QString::number(up ? report::widthSpinUp(width) : report::widthSpinDown(width)));
    previewWidth();
    // Leaving the box asks whether the new width is kept.
    m_width->setFocus(Qt::OtherFocusReason);
}

void ReportSetupWindow::namePicked() {
    m_fieldTimer->start();
}

void ReportSetupWindow::nameSettled() {
    if (m_shown < 1)
        return;
    const ReportColumn& stored = columns()[static_cast<size_t>(m_shown - 1)];
    const QString name = shownName();
    // A heading that only repeated the old name repeats the new one.
    if (m_description->text() == stored.name)
        m_description->setText(name);
    showUnitListFor(name, m_unit->currentText());
    settleEdits();
}

// ---- positions ------------------------------------------------------------------------------

void ReportSetupWindow::moveTo(int p) {
    if (p < 1 || p > count() || p == m_shown)
        return;
    if (!settleEdits()) {
        m_position->setText(QString::number(m_shown));
        return;
    }
    showColumn(p);
}

void ReportSetupWindow::positionTyped(const QString& text) {
    const int p = report::positionInBox(text, count());
    if (p > 0 && p != m_shown) {
        moveTo(p);
        // The box keeps what was typed; moveTo() may have put the shown position back.
        if (m_shown == p)
            m_position->setText(text);
    }
}

void ReportSetupWindow::checkPositionBox() {
    if (report::positionInBox(m_position->text(), count()) > 0 || count() == 0)
        return;
    // The Summary window shows nothing for a position it lacks and says nothing.
    if (m_kind == SetupKind::Summary)
        return;
    const QScopedValueRollback guard(m_checking, true);
    const int answer =
        platform::msgBox(report::positionRangeMessage(count()),
                         platform::MbRetryCancel | platform::MbQuestion, report::PositionErrorTitle);
    if (answer == platform::IdRetry) {
        QTimer::singleShot(0, m_position, [box = QPointer<QLineEdit>(m_position)] {
            if (box) {
                box->setFocus(Qt::OtherFocusReason);
                box->selectAll();
            }
        });
    } else {
        m_position->clear();
    }
}

// ---- commands -------------------------------------------------------------------------------

void ReportSetupWindow::addField() {
    if (!settleEdits())
        return;
    const int p =
        platform::prompter().position(platform::PositionRequest{report::AddFieldCaption, count(), m_shown});
    if (!report::insertColumn(columns(), p, m_kind))
        return;
    fillGrid();
    showColumn(p);
    m_name->setFocus(Qt::OtherFocusReason);
}

void ReportSetupWindow::promoteField() {
    if (!settleEdits())
        return;
    int p = m_shown;
    if (!report::promoteColumn(columns(), p))
        return;
    fillGrid();
    showColumn(p);
}

void ReportSetupWindow::demoteField() {
    if (!settleEdits())
        return;
    int p = m_shown;
    if (!report::demoteColumn(columns(), p))
        return;
    fillGrid();
    showColumn(p);
}

void ReportSetupWindow::deleteField() {
    if (m_shown < 1 || !settleEdits())
        return;
    const int answer =
        platform::msgBox(report::deleteFieldMessage(m_kind), platform::MbOkCancel | platform::MbQuestion,
                         report::QueryInformationTitle);
    if (answer != platform::IdOk)
        return;
    int p = m_shown;
    report::deleteColumn(columns(), p);
    fillGrid();
    showColumn(p);
}

// ---- events ---------------------------------------------------------------------------------

bool ReportSetupWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && !m_checking) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Leaving for a menu or another program is no leaving of the box.
        // Nor is a window being hidden or destroyed with the program: its boxes ask nothing then.
        const bool away = reason == Qt::PopupFocusReason || !isVisible() ||
                          (reason == Qt::ActiveWindowFocusReason && QApplication::activeWindow() != window());
        if (!away) {
            if (watched == m_width) {
                if (checkWidthBox() == BoxCheck::Valid)
                    settleEdits();
            } else if (watched == m_description) {
                settleEdits();
            } else if (watched == m_position) {
                checkPositionBox();
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ReportSetupWindow::closeEvent(QCloseEvent* event) {
    // The window lives as long as the program; it cannot be closed.
    event->ignore();
}

} // namespace zek
