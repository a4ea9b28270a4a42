// A report as a PDF document: its printed pages, drawn by the same page drawing as printing.
#pragma once

#include "report/report_engine.h"
#include "report/report_export.h"

#include <QPageSize>

class QIODevice;

namespace zek::report {

// Every page of the report the engine holds, from page 1, onto `paper` in portrait, the whole
// sheet painted, written to `out`. `dateText` is the date each page shows. False, with the reason
// in `error`, when the document could not be written. Leaves the engine on its last page.
bool writeReportPdf(QIODevice& out, ReportEngine& engine, const QPageSize& paper, const QString& dateText,
                    QString& error, const PageProgress& progress = {});

} // namespace zek::report
