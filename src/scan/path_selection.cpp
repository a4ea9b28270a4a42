#include "scan/path_selection.h"

#include "platform/prompt.h"
#include "report/report_preconditions.h"
#include "work/work_file.h"

#include <algorithm>

namespace zek::scan {

QString shortOutlineText(const QString& name, const QString& alternate) {
    return platform::shortFormOf(name, alternate);
}

QString joinPath(const QString& path, const QString& name) {
    if (path.endsWith(u'/'))
        return path + name;
    return path + u'/' + name;
}

QString driveErrorText(int errorNumber, const QString& description) {
    // The number as the numeric-to-text conversion writes it: a blank where a minus sign would go.
    const QString number =
        errorNumber >= 0 ? u' ' + QString::number(errorNumber) : QString::number(errorNumber);
    return "Error " + number + ", " + description + "." + "\r\n" + CheckDriveText;
}

int testDrive(const QString& root, QString* errorText) {
    platform::DirectorySearch search(root);
    if (errorText)
        *errorText = search.errorText();
    return search.error();
}

platform::SearchError FolderOutline::setRoot(const QString& root) {
    m_nodes.clear();
    OutlineNode node;
    node.name = root;
    node.rawName = root.toUtf8();
    node.longText = root;
    node.shortName = shortFormOfFolder(node.rawName);
    node.shortText = node.shortName;
    node.open = true;
    m_nodes.push_back(node);
    m_current = 0;
    return listChildren(0);
}

platform::SearchError FolderOutline::activate(int position) {
    if (position < 0 || position >= count())
        return {};
    if (position > m_current) {
        // A subfolder of the current folder: the chain grows by one.
        OutlineNode node = m_nodes[static_cast<size_t>(position)];
        m_nodes.resize(static_cast<size_t>(m_current) + 1);
        node.parent = m_current;
        node.level = m_nodes.back().level + 1;
        m_nodes.push_back(node);
    } else {
        // A folder on the chain (or the root): the chain ends there.
        m_nodes.resize(static_cast<size_t>(position) + 1);
    }
    m_current = count() - 1;
    m_nodes.back().open = true;
    return listChildren(m_current);
}

platform::SearchError FolderOutline::listChildren(int position) {
    platform::SearchError error;
    const OutlineNode parent = m_nodes[static_cast<size_t>(position)];
    const std::vector<platform::DirEntry> subfolders = platform::listSubfolders(rawPath(position), error);
    std::vector<OutlineNode> children;
    for (const platform::DirEntry& entry : subfolders) {
        OutlineNode node;
        node.name = entry.longName;
        node.rawName = entry.rawName;
        node.shortName = shortOutlineText(entry.longName, entry.shortName);
        // Names here keep their case: the long outline shows a name exactly as it is on disk.
        node.longText = entry.longName;
        node.shortText = node.shortName;
        node.level = parent.level + 1;
        node.parent = position;
        children.push_back(node);
    }
    // Ascending by the long outline's text, by character code (upper case before lower case).
    std::stable_sort(children.begin(), children.end(),
                     [](const OutlineNode& a, const OutlineNode& b) { return a.longText < b.longText; });
    m_nodes.insert(m_nodes.end(), children.begin(), children.end());
    return error;
}

QString FolderOutline::longPath(int position) const {
    if (position < 0 || position >= count())
        return {};
    const OutlineNode& node = m_nodes[static_cast<size_t>(position)];
    if (node.parent < 0)
        return node.name;
    return joinPath(longPath(node.parent), node.name);
}

QString FolderOutline::shortPath(int position) const {
    if (position < 0 || position >= count())
        return {};
    const OutlineNode& node = m_nodes[static_cast<size_t>(position)];
    if (node.parent < 0)
        return node.shortName;
    return joinPath(shortPath(node.parent), node.shortName);
}

QByteArray FolderOutline::rawPath(int position) const {
    if (position < 0 || position >= count())
        return {};
    const OutlineNode& node = m_nodes[static_cast<size_t>(position)];
    if (node.parent < 0)
        return node.rawName;
    return platform::childPath(rawPath(node.parent), node.rawName);
}

std::vector<int> itemsToRemove(const std::vector<bool>& selectedLong,
                               const std::vector<bool>& selectedShort) {
    std::vector<int> positions;
    const size_t n = std::max(selectedLong.size(), selectedShort.size());
    for (size_t i = 0; i < n; ++i) {
        if ((i < selectedLong.size() && selectedLong[i]) || (i < selectedShort.size() && selectedShort[i]))
            positions.push_back(static_cast<int>(i));
    }
    return positions;
}

int removeFolders(FolderList& list, std::vector<int> positions) {
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    int removed = 0;
    // From the bottom, so the positions still to do keep their meaning.
    for (auto it = positions.rbegin(); it != positions.rend(); ++it) {
        if (*it < 0 || *it >= list.count())
            continue;
        list.longForms.removeAt(*it);
        if (*it < list.shortForms.size())
            list.shortForms.removeAt(*it);
        ++removed;
    }
    return removed;
}

StartResult startInventory(work::WorkState& ws, query::QueryState& qs, ScanState& scan,
                           const StartHooks& hooks) {
    StartResult result;
    if (!report::checkReportPreconditions(ws, qs))
        return result;

    ws.reportsCurrent = false;
    if (ws.scanResult == work::NoCompletedScan) {
        // Everything counts as changed; the snapshots still follow the present settings, so that the
        // next Start compares with what this one scanned and built.
        ws.unchangedFlags.fill(false);
        work::refreshUnchangedFlags(ws);
        ws.unchangedFlags.fill(false);
    } else {
        ws.unchangedFlags.fill(true);
        work::refreshUnchangedFlags(ws);
    }
    if (hooks.disableHistoric)
        hooks.disableHistoric();

    bool& foldersUnchanged = ws.unchanged(work::SettingsGroup::Folders);
    if (!foldersUnchanged) {
        try {
            if (!ws.database)
                throw db::EngineError(0, QStringLiteral("No work file is open."));
            if (!ws.table(work::WorkTable::Filetype)) {
                ws.tables[static_cast<size_t>(work::WorkTable::Filetype)] =
                    ws.database->openTable(work::tableName(work::WorkTable::Filetype));
                ws.flag(work::WorkTable::Filetype) = true;
            }
            ws.database->execute(DeleteFiletypeSql);
        } catch (const db::EngineError& e) {
            platform::msgBox("Error " + QString::number(e.number()) + ", " + e.description() + ".");
            result.outcome = StartOutcome::DatabaseError;
            return result;
        }
        scan.scanCancel = false;
        ws.scanResult = work::NoCompletedScan;
        if (hooks.runScan)
            hooks.runScan();
        result.scanned = true;
        foldersUnchanged = true;
    }
    if (ws.scanResult == work::NoCompletedScan) {
        result.outcome = StartOutcome::ScanNotDone;
        return result;
    }
    if (!ws.unchanged(work::SettingsGroup::QueryLines) || !ws.unchanged(work::SettingsGroup::DetailColumns) ||
        !ws.unchanged(work::SettingsGroup::Sorters)) {
        result.selection = query::buildQueryAndReports(ws, qs);
        result.outcome = StartOutcome::ReportsBuilt;
        return result;
    }
    result.outcome = StartOutcome::ReportsCurrent;
    return result;
}

} // namespace zek::scan
