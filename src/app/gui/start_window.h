// The start window: shown while the program starts, it runs the start-up and opens the main window.
#pragma once

#include "app/app_state.h"
#include "platform/directory_lock.h"
#include "platform/file_association.h"
#include "platform/instance_lock.h"

#include <QTimer>
#include <QWidget>

#include <memory>

namespace zek {

class MainWindow;

// Exit codes of a run that ends during start-up.
inline constexpr int ExitNormal = 0;             // the user ended the program (Exit, Cancel, close)
inline constexpr int ExitAlreadyRunning = 1;     // another copy holds the single-instance lock
inline constexpr int ExitWorkDirectoryInUse = 2; // another program (zek-batch) uses the work directory

class StartWindow : public QWidget {
    Q_OBJECT
public:
    // `workFileArgument` is the command line's work file, empty when none was given.
    explicit StartWindow(AppState& app, const QString& workFileArgument = QString(),
                         QWidget* parent = nullptr);
    ~StartWindow() override;

    // The start-up steps the timer's first tick runs: single-instance check, settings file, work
    // directory and its lock, then the main window.
    void runStartup();

    // Whether writing the file association also refreshes the desktop's caches (tests skip it, so
    // that no helper process outlives their temporary home).
    void setAssociationCaches(platform::CacheUpdate caches) { m_caches = caches; }

    // The main window once start-up has created it; null before and when start-up ended earlier.
    MainWindow* mainWindow() const { return m_main.get(); }
    bool hasFinished() const { return m_finished; }
    int exitCode() const { return m_exitCode; }

Q_SIGNALS:
    // The program should end with this code: start-up stopped, or the main window closed.
    void finished(int exitCode);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void finish(int exitCode);
    void centerInWorkArea();

    AppState& m_app;
    QString m_argument;
    QTimer m_timer;
    platform::InstanceLock m_lock;
    platform::DirectoryLock m_workDirectoryLock; // held as long as the program uses its work directory
    std::unique_ptr<MainWindow> m_main;
    platform::CacheUpdate m_caches = platform::CacheUpdate::Run;
    bool m_started = false;
    bool m_finished = false;
    int m_exitCode = ExitNormal;
};

} // namespace zek
