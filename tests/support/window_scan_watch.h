// Watches the processing window while a scan runs through it: how often it paints, how late the
// event loop turns, how much memory the process holds as the entries grow, and, when asked, presses
// its Cancel button at a chosen moment and measures how long the scan takes to stop. Header only:
// it needs the window library, which the support library does not link.
#pragma once

#include "scan/gui/processing_window.h"
#include "scan/scan_state.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <unistd.h>
#include <vector>

namespace zek::test {

// The resident set of this process in KiB, from /proc/self/statm; 0 when it cannot be read.
inline qint64 residentKiB() {
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f)
        return 0;
    long long size = 0, resident = 0;
    const int read = std::fscanf(f, "%lld %lld", &size, &resident);
    std::fclose(f);
    return read == 2 ? resident * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}

// The value below which `share` of the sorted values lie (the largest for 1.0); 0 when empty.
// The processor time this thread has used, in milliseconds.
inline qint64 threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1'000'000;
}

inline qint64 percentile(std::vector<qint64> values, double share) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto at = static_cast<size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(at, values.size() - 1)];
}

class WindowScanWatch : public QObject {
public:
    struct Options {
        qint64 cancelAfterMs = -1;      // press Cancel this long after the scan began
        qint64 cancelAfterEntries = -1; // or once this many entries are recorded
        qint64 expectedEntries = 0;     // memory is sampled at every tenth of these
    };
    struct RssSample {
        qint64 entries = 0;
        qint64 kib = 0;
        qint64 foldersWaiting = 0; // the breadth-first queue's length
    };
    struct Gap {
        qint64 ms = 0;
        qint64 entries = 0; // recorded when the gap ended
        qint64 cpuMs = 0;   // what this thread ran of it: far less than ms when the machine was busy
    };

    // Paints of the processing window, in batches: the widgets one update paints count once.
    int paintBatches = 0;
    std::vector<qint64> paintGapsMs;   // between two paint batches while the scan ran
    std::vector<qint64> turnGapsMs;    // between two turns of the event loop while the scan ran
    std::vector<qint64> turnGapsCpuMs; // the same, in this thread's processor time
    std::vector<Gap> longGaps;         // the turn gaps of 100 ms and more
    std::vector<RssSample> rss;        // at every tenth of the expected entries, and at the end
    QStringList progressTexts;         // the progress line as it changed
    bool sawWindow = false;
    bool finished = false;
    scan::ScanOutcome outcome = scan::ScanOutcome::Cancelled; // as the window ended
    qint64 scanMs = -1;          // from the first turn that saw the scan running to the window's end
    qint64 cancelLatencyMs = -1; // from the click on Cancel to the window's end
    qint64 entriesAtCancel = -1;

    WindowScanWatch(const scan::ScanState& scan, Options options) : m_scan(scan), m_options(options) {
        m_clock.start();
        qApp->installEventFilter(this);
        m_tick.setTimerType(Qt::PreciseTimer);
        m_tick.setInterval(10);
        QObject::connect(&m_tick, &QTimer::timeout, this, [this] { tick(); });
        m_tick.start();
    }
    ~WindowScanWatch() override { qApp->removeEventFilter(this); }

    qint64 maxPaintGapMs() const { return percentile(paintGapsMs, 1.0); }
    qint64 maxTurnGapMs() const { return percentile(turnGapsMs, 1.0); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && m_form && m_form->isScanning() && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == m_form) {
            const qint64 now = m_clock.elapsed();
            if (m_lastPaint < 0 || now - m_lastPaint >= 1) {
                if (m_lastPaint >= 0)
                    paintGapsMs.push_back(now - m_lastPaint);
                ++paintBatches;
            }
            m_lastPaint = now;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void tick() {
        if (!m_form) {
            auto* form = qobject_cast<ProcessingWindow*>(QApplication::activeModalWidget());
            if (!form || finished)
                return;
            m_form = form;
            sawWindow = true;
            QObject::connect(form, &QDialog::finished, this, [this] { end(); });
        }
        if (!m_form->isScanning())
            return;
        const qint64 now = m_clock.elapsed();
        if (m_scanStart < 0)
            m_scanStart = now;
        const qint64 cpu = threadCpuMs();
        if (m_lastTurn >= 0) {
            turnGapsMs.push_back(now - m_lastTurn);
            turnGapsCpuMs.push_back(cpu - m_lastTurnCpu);
        }
        if (m_lastTurn >= 0 && now - m_lastTurn >= 100)
            longGaps.push_back({now - m_lastTurn, m_scan.counters.entries, cpu - m_lastTurnCpu});
        m_lastTurn = now;
        m_lastTurnCpu = cpu;
        sampleMemory();
        if (auto* progress = m_form->findChild<QLabel*>(QStringLiteral("lblProgress"));
            progress && (progressTexts.isEmpty() || progressTexts.last() != progress->text()))
            progressTexts << progress->text();
        if (m_cancelClick < 0 &&
            ((m_options.cancelAfterMs >= 0 && now - m_scanStart >= m_options.cancelAfterMs) ||
             (m_options.cancelAfterEntries >= 0 &&
              m_scan.counters.entries >= m_options.cancelAfterEntries))) {
            entriesAtCancel = m_scan.counters.entries;
            m_cancelClick = m_clock.elapsed();
            // The user's click on the real button.
            QTest::mouseClick(m_form->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        }
    }

    void sampleMemory() {
        const qint64 step = m_options.expectedEntries / 10;
        if (step > 0 && m_scan.counters.entries >= step * (static_cast<qint64>(rss.size()) + 1))
            rss.push_back({m_scan.counters.entries, residentKiB(), qint64(m_scan.queue.waitingCount())});
    }

    void end() {
        const qint64 now = m_clock.elapsed();
        finished = true;
        outcome = m_form->outcome();
        scanMs = m_scanStart >= 0 ? now - m_scanStart : -1;
        if (m_cancelClick >= 0)
            cancelLatencyMs = now - m_cancelClick;
        rss.push_back({m_scan.counters.entries, residentKiB(), qint64(m_scan.queue.waitingCount())});
        m_tick.stop();
        m_form = nullptr;
    }

    const scan::ScanState& m_scan;
    Options m_options;
    QElapsedTimer m_clock;
    QTimer m_tick;
    QPointer<ProcessingWindow> m_form;
    qint64 m_scanStart = -1;
    qint64 m_lastTurn = -1;
    qint64 m_lastTurnCpu = 0;
    qint64 m_lastPaint = -1;
    qint64 m_cancelClick = -1;
};

} // namespace zek::test
