// Building the two reports from the selection: the Detail report (one row per selected record) and
// the Summary report (one row per group), each written to its report table and shown by its engine.
#pragma once

#include "platform/intl.h"
#include "report/report_engine.h"
#include "work/work_state.h"

#include <QElapsedTimer>
#include <QString>

#include <functional>

namespace zek::report {

// What the builders take besides the work file.
struct BuildInputs {
    platform::IntlSettings intl;
    // `TotalBytes` and `FreeBytes` of the last scan since the program started; 0 without one.
    qint64 totalBytes = 0;
    qint64 freeBytes = 0;
    // Either printer-check flag is set: the report is defined again.
    bool printerCheck = false;
    // The selection's condition (the WHERE text of the statement builder), possibly empty.
    QString whereClause;
};

// Lets the window answer during a long build: calls `processEvents` (when set) at most once every
// 25 ms however often it is itself called.
class Breather {
public:
    explicit Breather(const std::function<void()>& processEvents);
    void operator()();

private:
    const std::function<void()>& m_processEvents;
    QElapsedTimer m_clock;
};

// The one message a failed build shows: the engine's number and text, and which report.
QString buildFailureText(ReportKind kind, int number, const QString& description);

// The Detail report from the open selection record set (ws.sqlRecordsets[Selection]) and
// ws.scanResult (its record count), rebuilding only what ws.unchangedFlags require. False when the
// build failed: the user was told once, the report is closed, the work file keeps its former tables.
bool buildDetailReport(work::WorkState& ws, ReportEngine& engine, const BuildInputs& inputs);
// The Summary report from the file table and the condition, rebuilding only what ws.unchangedFlags
// require. False as for the Detail report.
bool buildSummaryReport(work::WorkState& ws, ReportEngine& engine, const BuildInputs& inputs);

} // namespace zek::report
