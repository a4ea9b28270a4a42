#include "work/work_file.h"

namespace zek::work {

namespace {

bool sameLine(const QueryLine& a, const QueryLine& b) {
    return a.choice == b.choice && a.bracketL.trimmed() == b.bracketL.trimmed() &&
           a.field.trimmed() == b.field.trimmed() && a.evaluation.trimmed() == b.evaluation.trimmed() &&
           a.value.trimmed() == b.value.trimmed() && a.bracketR.trimmed() == b.bracketR.trimmed() &&
           a.connection.trimmed() == b.connection.trimmed();
}

// Same number of entries, and every entry occurs in the snapshot: the order of the folders does not
// change what a scan finds.
bool sameFolders(const FolderList& current, const FolderList& snapshot) {
    if (current.count() != snapshot.count())
        return false;
    for (const QString& entry : current.longForms) {
        if (!snapshot.longForms.contains(entry))
            return false;
    }
    return true;
}

// Compares a list with its snapshot element by element, or wholesale when the counts differ, and
// brings the snapshot up to date. Returns true when nothing differed.
template <typename List, typename Same> bool refreshList(const List& current, List& snapshot, Same same) {
    if (current.size() != snapshot.size()) {
        snapshot = current;
        return false;
    }
    bool unchanged = true;
    for (size_t i = 0; i < current.size(); ++i) {
        if (!same(current[i], snapshot[i])) {
            snapshot[i] = current[i];
            unchanged = false;
        }
    }
    return unchanged;
}

} // namespace

void refreshUnchangedFlags(WorkState& ws) {
    const WorkSettings& now = ws.settings;
    WorkSettings& snap = ws.snapshot;

    bool& folders = ws.unchanged(SettingsGroup::Folders);
    if (folders)
        folders = sameFolders(now.folders, snap.folders);
    snap.folders = now.folders;

    bool& lines = ws.unchanged(SettingsGroup::QueryLines);
    lines = refreshList(now.queryLines.lines, snap.queryLines.lines, sameLine);
    if (!folders)
        lines = false;

    auto sameColumn = [](const ReportColumn& a, const ReportColumn& b) { return a == b; };
    bool& detail = ws.unchanged(SettingsGroup::DetailColumns);
    if (detail)
        detail = refreshList(now.detailColumns, snap.detailColumns, sameColumn);
    else
        snap.detailColumns = now.detailColumns;
    bool& summary = ws.unchanged(SettingsGroup::SummaryColumns);
    if (summary)
        summary = refreshList(now.summaryColumns, snap.summaryColumns, sameColumn);
    else
        snap.summaryColumns = now.summaryColumns;

    auto sameSorter = [](const Sorter& a, const Sorter& b) { return a == b; };
    ws.unchanged(SettingsGroup::Sorters) =
        refreshList(now.sorters, snap.sorters, sameSorter) && ws.unchanged(SettingsGroup::Sorters);

    ws.unchanged(SettingsGroup::DetailTitles) =
        ws.unchanged(SettingsGroup::DetailTitles) && now.detailTitles == snap.detailTitles;
    snap.detailTitles = now.detailTitles;
    ws.unchanged(SettingsGroup::SummaryTitles) =
        ws.unchanged(SettingsGroup::SummaryTitles) && now.summaryTitles == snap.summaryTitles;
    snap.summaryTitles = now.summaryTitles;
}

} // namespace zek::work
