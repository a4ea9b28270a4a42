// What happens to the open work file, as signals the windows connect to. The work file and the
// report offer emit them; the connections end with the windows that made them, so a window gone
// is simply no longer told.
#pragma once

#include <QObject>
#include <QString>

namespace zek::work {

class WorkEvents : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

Q_SIGNALS:
    // A work file was opened, or saved, under `fileName` (it goes into the recent-file list).
    void fileOpenedOrSaved(const QString& fileName);
    // New settings were loaded (Open, New, the template): the windows show them again.
    void settingsReloaded();
    // The settings are about to be read (a save, the check for unsaved changes): a window whose
    // controls hold edits not yet in them puts them there now.
    void aboutToReadSettings();
    // The Summary report's column list was changed outside its setup window (the main sort field
    // became its first column): the setup window shows it again.
    void summaryColumnsChanged();
    // A fresh working copy replaced the work file: it has no reports.
    void reportsDiscarded();
    // A stored work file, not the working copy, was opened: its records may back the reports.
    void storedFileOpened();
    // The reports were offered from the records of the loaded work file (Path Selection's
    // "&Historic" button becomes enabled).
    void reportsOfferedFromLoadedFile();
};

} // namespace zek::work
