// The processing window: hosts the scan, shows the scan drive's capacity, the folder and the entry
// being recorded, how much has been recorded and how fast, and offers Cancel. It closes itself when the scan
// ends, and only then.
#pragma once

#include "platform/intl.h"
#include "scan/folder_walker.h"
#include "work/work_state.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QStringList>

class QLabel;
class QPushButton;
class QTimer;

namespace zek {

class ProcessingWindow : public QDialog, public scan::ScanDisplay {
    Q_OBJECT
public:
    ProcessingWindow(scan::ScanState& scan, work::WorkState& ws, const platform::IntlSettings& intl,
                     QWidget* parent = nullptr, scan::ScanPacing pacing = {});
    ~ProcessingWindow() override;

    // Shows the window modally; the scan starts once the window is on screen and the call returns
    // when it has ended. The caller has emptied the file table. A database error that ended the scan
    // and the folders and entries the scan had to skip are reported in a message box afterwards.
    static scan::ScanOutcome runScan(scan::ScanState& scan, work::WorkState& ws,
                                     const platform::IntlSettings& intl, QWidget* parent = nullptr,
                                     scan::ScanPacing pacing = {});

    bool isScanning() const { return m_scanning; }
    scan::ScanOutcome outcome() const { return m_outcome; }
    // The problems the walk reported (at most ProblemsKept of them).
    const QStringList& problems() const { return m_problems; }
    static constexpr int ProblemsKept = 100;

    // The display operations the walker calls.
    void showCapacity(const QString& driveRoot, const scan::DriveCapacity& capacity) override;
    void showFolder(const QString& text) override;
    void showEntry(QStringView text) override;
    void pump() override;
    void showProblem(const QString& text) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void reject() override;

private:
    void showTexts();
    void firstTick();
    void cancel();
    void centerInWorkArea();

    scan::ScanState& m_scan;
    work::WorkState& m_ws;
    platform::IntlSettings m_intl;
    scan::ScanPacing m_pacing;

    QTimer* m_timer;
    QPushButton* m_cancel;
    QLabel* m_path;
    QLabel* m_freePercent;
    QLabel* m_freeBytes;
    QLabel* m_freeCaption;
    QLabel* m_totalBytes;
    QLabel* m_totalCaption;
    QLabel* m_file;
    QLabel* m_progress;
    QElapsedTimer m_scanClock;
    QElapsedTimer m_sincePump; // the walker pumps between entries; a run of empty folders has none

    QString m_folderText;
    QString m_entryText;
    bool m_textsChanged = false;
    QStringList m_problems;

    bool m_started = false;
    bool m_scanning = false;
    bool m_closing = false; // the scan ended: the window may close
    bool m_busyCursor = false;
    scan::ScanOutcome m_outcome = scan::ScanOutcome::Cancelled;
};

} // namespace zek
