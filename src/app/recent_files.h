// The recent-file list of the File menu: entries numbered from 1, each captioned "&n name".
#pragma once

#include <QStringList>

namespace zek {

struct RecentFiles {
    QStringList captions; // entry n is captions[n - 1]
    bool separatorVisible = false;

    int count() const { return static_cast<int>(captions.size()); }
    // The file name of entry n: its caption after the first space.
    QString fileName(int n) const;
};

// Puts a file at the top of the list; the working copy itself is never listed.
void addRecentFile(RecentFiles& recent, const QString& name, const QString& workingCopyName);
// Reads the list from the settings file, skipping blank entries and the working copy.
void loadRecentFiles(RecentFiles& recent, const QString& iniFileName, const QString& workingCopyName);
// Writes the list at exit, cut to "SizeOfMRUList" (stored as 4 when missing). Names the settings
// file cannot keep (a line break, longer than a setting is read) are left out.
void saveRecentFiles(const RecentFiles& recent, const QString& iniFileName);
// The menu text of an entry's caption: the number keeps its "&", an "&" in the file name is shown.
QString recentFileMenuText(const QString& caption);

} // namespace zek
