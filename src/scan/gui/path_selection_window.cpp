#include "scan/gui/path_selection_window.h"

#include "platform/prompt.h"
#include "report/report_preconditions.h"
#include "scan/gui/processing_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>

namespace zek {

namespace {

// What a drag that started in one of the lists carries.
const QString ListDragFormat = QStringLiteral("application/x-qabstractitemmodeldatalist");

} // namespace

void PathSelectionWindow::showLongNames(bool longNames) {
    m_outline1->setVisible(longNames);
    m_seldir->setVisible(longNames);
    m_list->setVisible(longNames);
    m_outline2->setVisible(!longNames);
    m_seldir2->setVisible(!longNames);
    m_list2->setVisible(!longNames);
    if (m_slsf[0]->isChecked() != longNames)
        m_slsf[longNames ? 0 : 1]->setChecked(true);
}

void PathSelectionWindow::setActiveOutline(const QString& name) {
    m_scan->activeOutline = name;
}

bool PathSelectionWindow::changeDrive(int index) {
    if (index < 0 || index >= m_driveRoots.size())
        return false;
    const QString root = m_driveRoots.at(index);
    QString errorText;
    const int error = scan::testDrive(root, &errorText);
    if (error != 0) {
        platform::msgBox(scan::driveErrorText(error, errorText));
        const QSignalBlocker block(m_drive);
        m_drive->setCurrentIndex(m_lastGoodDrive);
        return false;
    }
    m_lastGoodDrive = index;
    m_dir->clear();
    m_dir->addItem(root);

    const platform::SearchError listing = m_outline.setRoot(root);
    Q_UNUSED(listing); // a folder entry that vanished while it was read is simply not shown
    fillOutlines();
    return true;
}

void PathSelectionWindow::activateNode(int position) {
    if (position < 0 || position >= m_outline.count())
        return;
    const platform::SearchError error = m_outline.activate(position);
    if (error.number != 0 && m_outline.count() == m_outline.current() + 1) {
        // The folder could not be read (permission, vanished): say so rather than show it empty.
        platform::msgBox(
            scan::driveErrorText(error.number, error.text).section(QStringLiteral("\r\n"), 0, 0));
    }
    fillOutlines();
}

void PathSelectionWindow::fillOutlines() {
    m_syncing = true;
    QStyle* st = style();
    const QIcon open = st->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = st->standardIcon(QStyle::SP_DirClosedIcon);
    const QIcon drive = st->standardIcon(QStyle::SP_DriveHDIcon);
    for (QTreeWidget* tree : {m_outline1, m_outline2}) {
        const bool shortNames = tree == m_outline2;
        tree->clear();
        std::vector<QTreeWidgetItem*> items;
        const auto& nodes = m_outline.nodes();
        items.reserve(nodes.size());
        for (size_t i = 0; i < nodes.size(); ++i) {
            const scan::OutlineNode& node = nodes[i];
            auto* item = node.parent < 0 ? new QTreeWidgetItem(tree)
                                         : new QTreeWidgetItem(items[static_cast<size_t>(node.parent)]);
            item->setText(0, shortNames ? node.shortText : node.longText);
            item->setData(0, Qt::UserRole, static_cast<int>(i));
            item->setIcon(0, node.parent < 0 ? drive : node.open ? open : closed);
            items.push_back(item);
        }
        for (int i = 0; i <= m_outline.current(); ++i)
            items[static_cast<size_t>(i)]->setExpanded(true);
        if (m_outline.current() >= 0)
            tree->setCurrentItem(items[static_cast<size_t>(m_outline.current())]);
    }
    m_syncing = false;
    selectNode(m_outline.current());
}

int PathSelectionWindow::selectedPosition() const {
    const QTreeWidgetItem* item = m_outline1->currentItem();
    return item ? item->data(0, Qt::UserRole).toInt() : m_outline.current();
}

void PathSelectionWindow::selectNode(int position) {
    if (position < 0 || position >= m_outline.count())
        return;
    m_syncing = true;
    for (QTreeWidget* tree : {m_outline1, m_outline2}) {
        QTreeWidgetItemIterator it(tree);
        for (; *it; ++it) {
            if ((*it)->data(0, Qt::UserRole).toInt() == position) {
                if (tree->currentItem() != *it)
                    tree->setCurrentItem(*it);
                break;
            }
        }
    }
    m_syncing = false;
    m_seldir->setText(m_outline.longPath(position));
    m_seldir2->setText(m_outline.shortPath(position));
}

void PathSelectionWindow::addFolder() {
    const int position = selectedPosition();
    if (position < 0)
        return;
    const QString longForm = m_outline.longPath(position);
    const QString shortForm = m_outline.shortPath(position);
    if (!scan::folderNameKept(m_outline.rawPath(position), longForm)) {
        platform::msgBox(scan::unkeptFolderNameText(longForm));
        return;
    }
    FolderList& folders = m_work.settings.folders;
    const scan::FolderAddCheck check =
        scan::checkFolderAddition(folders, longForm, shortForm, scan::showsShortForms(*m_scan));
    if (!check.accepted()) {
        platform::msgBox(check.message);
        return;
    }
    folders.append(longForm, shortForm);
    fillLists();
}

void PathSelectionWindow::removeFolders() {
    std::vector<bool> selectedLong(static_cast<size_t>(m_list->count()));
    std::vector<bool> selectedShort(static_cast<size_t>(m_list2->count()));
    for (int i = 0; i < m_list->count(); ++i)
        selectedLong[static_cast<size_t>(i)] = m_list->item(i)->isSelected();
    for (int i = 0; i < m_list2->count(); ++i)
        selectedShort[static_cast<size_t>(i)] = m_list2->item(i)->isSelected();
    const std::vector<int> positions = scan::itemsToRemove(selectedLong, selectedShort);
    if (positions.empty()) {
        platform::msgBox(scan::SelectDirectoriesText);
        return;
    }
    scan::removeFolders(m_work.settings.folders, positions);
    fillLists();
}

void PathSelectionWindow::clearFolders() {
    const int answer =
        platform::msgBox(scan::ClearQuestion, platform::MbYesNo | platform::MbQuestion, scan::ClearTitle);
    if (answer != platform::IdYes)
        return;
    m_work.settings.folders.clear();
    fillLists();
}

scan::ScanOutcome PathSelectionWindow::runScan() {
    if (scanRunner)
        return scanRunner();
    return ProcessingWindow::runScan(*m_scan, m_work, m_intl, window());
}

void PathSelectionWindow::start() {
    scan::StartHooks hooks;
    hooks.runScan = [this] { return runScan(); };
    hooks.disableHistoric = [this] { m_historic->setEnabled(false); };
    scan::startInventory(m_work, *m_qs, *m_scan, hooks);
}

void PathSelectionWindow::enableHistoric() {
    m_historic->setEnabled(true);
}

void PathSelectionWindow::historic() {
    report::confirmReportCreation(m_work, *m_qs);
}

void PathSelectionWindow::fillLists() {
    const FolderList& folders = m_work.settings.folders;
    m_list->clear();
    m_list2->clear();
    m_list->addItems(folders.longForms);
    m_list2->addItems(folders.shortForms);
    updateButtons();
}

void PathSelectionWindow::updateButtons() {
    const bool any = !m_work.settings.folders.isEmpty();
    m_clear->setEnabled(any);
    m_remove->setEnabled(any);
    m_start->setEnabled(any);
}

void PathSelectionWindow::showSettings() {
    fillLists();
    showActiveFileName();
}

void PathSelectionWindow::showActiveFileName() {
    m_activeDatabase->setText(m_work.activeFileName);
}

void PathSelectionWindow::closeEvent(QCloseEvent* event) {
    if (m_closeAllowed)
        event->accept();
    else
        event->ignore();
}

bool PathSelectionWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (watched == m_outline1->viewport())
            setActiveOutline(scan::OutlineLong);
        else if (watched == m_outline2->viewport())
            setActiveOutline(scan::OutlineShort);
        else if (watched == m_list->viewport())
            m_dragSource = QStringLiteral("drivedirlist");
        else if (watched == m_list2->viewport())
            m_dragSource = QStringLiteral("drivedirlist2");
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (watched == m_list->viewport() || watched == m_list2->viewport())
            break;
        if (drag->mimeData() && drag->mimeData()->hasFormat(ListDragFormat)) {
            drag->acceptProposedAction();
            return true;
        }
        break;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (watched == m_list->viewport() || watched == m_list2->viewport())
            break;
        if (drop->mimeData() && drop->mimeData()->hasFormat(ListDragFormat)) {
            drop->acceptProposedAction();
            // After the drag has ended, so no message box opens inside the drag's own loop.
            QTimer::singleShot(0, this, &PathSelectionWindow::removeFolders);
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace zek
