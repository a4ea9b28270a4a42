// Report building over a large inventory: a work file with N synthetic file records in N / 10
// folders (no real tree needed), then each report's build timed.
//
// Sections (all by default, or the ones named):
//   --detail   the Detail report: FILEDETTYPE written from the whole selection with the default
//              columns, then the whole build (report, rows, page 1) on a selection the report
//              engine can hold (at most 32767 rows)
//
// Usage: bench_reports [--detail] [records] [folder]   (defaults: 1000000, a temporary folder under
// the current one)
#include "db/record_appender.h"
#include "report/detail_rows.h"
#include "report/report_build.h"
#include "work/work_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

using namespace zek;

namespace {

constexpr qint64 RowsPerFolder = 10;
const QString DefaultOrder = QStringLiteral(" ORDER BY PATH,NAME,EXTENSION");

// Peak resident memory of this process so far, in MB (VmHWM).
double peakRssMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

double timed(const std::function<void()>& f) {
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e9;
}

void printFigures(const char* what, qint64 rows, double seconds) {
    std::printf("  %-52s %9lld rows %8.2f s %10.0f rows/s   peak RSS %7.1f MB\n", what, rows, seconds,
                seconds > 0 ? double(rows) / seconds : 0.0, peakRssMb());
    std::fflush(stdout);
}

// `rows` file records in folders of RowsPerFolder: each folder's own entry first, then its files,
// with sizes up to 5 GB and dates, times and attributes that vary as a real tree's do.
void fillFileTable(work::WorkState& ws, qint64 rows) {
    const QStringList fields = work::fileFieldNames();
    db::Transaction transaction(*ws.database);
    db::RecordAppender appender(*ws.database, QStringLiteral("FILETYPE"), fields);
    auto at = [](work::FileField f) { return work::position(f); };
    QByteArray path, name, longName, extension;
    for (qint64 i = 0; i < rows; ++i) {
        const qint64 folder = i / RowsPerFolder;
        const qint64 entry = i % RowsPerFolder;
        const bool isFolder = entry == 0;
        path = "/bench/d" + QByteArray::number(folder / 1000) + "/folder" + QByteArray::number(folder);
        if (isFolder) {
            name = "FOLDER";
            longName = "folder" + QByteArray::number(folder);
            extension.clear();
        } else {
            name = "FILE~" + QByteArray::number(entry);
            longName = "file number " + QByteArray::number(i) + ".txt";
            extension = "TXT";
        }
        auto text = [&](work::FileField f, const QByteArray& bytes) {
            appender.setText(at(f), std::string_view(bytes.constData(), size_t(bytes.size())));
        };
        text(work::FileField::Path, path.toUpper());
        text(work::FileField::LongPath, path);
        appender.setInteger(at(work::FileField::PathLevel), 3);
        appender.setInteger(at(work::FileField::PathNumber), folder + 1);
        text(work::FileField::Name, name);
        text(work::FileField::LongName, longName);
        text(work::FileField::Extension, extension);
        appender.setInteger(at(work::FileField::Size), isFolder ? 0 : (i * 7919) % 5'000'000'000LL);
        const qint64 date = 20000101 + (i % 25) * 10000 + (i % 12) * 100 + i % 28;
        const qint64 time = (i % 24) * 10000 + (i % 60) * 100 + (i * 7) % 60;
        appender.setInteger(at(work::FileField::Date), date);
        appender.setInteger(at(work::FileField::Time), time);
        appender.setInteger(at(work::FileField::CreationDate), date - 10000);
        appender.setInteger(at(work::FileField::CreationTime), time);
        appender.setInteger(at(work::FileField::AccessDate), date);
        appender.setInteger(at(work::FileField::AccessTime), 120000);
        appender.setBoolean(at(work::FileField::Archive), i % 3 == 0);
        appender.setBoolean(at(work::FileField::System), false);
        appender.setBoolean(at(work::FileField::Hidden), i % 17 == 0);
        appender.setBoolean(at(work::FileField::ReadOnly), i % 5 == 0);
        appender.setBoolean(at(work::FileField::Directory), isFolder);
        appender.setBoolean(at(work::FileField::Compressed), false);
        appender.setBoolean(at(work::FileField::Temporary), false);
        appender.append();
    }
    transaction.commit();
}

// Opens a selection as the statement builder does: the record set and its count.
void select(work::WorkState& ws, const QString& sql) {
    auto& slot = ws.sqlRecordsets[static_cast<size_t>(work::SqlRecordset::Selection)];
    if (slot)
        slot->close();
    slot = ws.database->openSql(sql);
    slot->moveLast();
    ws.scanResult = slot->recordCount();
    ws.sqlTexts[static_cast<size_t>(work::SqlRecordset::Selection)] = sql;
    ws.sqlFlags[static_cast<size_t>(work::SqlRecordset::Selection)] = true;
}

report::BuildInputs benchInputs() {
    report::BuildInputs inputs;
    inputs.totalBytes = 500'000'000'000LL;
    inputs.freeBytes = 120'000'000'000LL;
    inputs.printerCheck = true;
    return inputs;
}

void benchDetail(work::WorkState& ws, qint64 rows) {
    std::printf("Detail report, %zu columns\n", ws.settings.detailColumns.size());
    const report::BuildInputs inputs = benchInputs();

    double seconds = timed([&] { select(ws, QStringLiteral("SELECT * FROM FILETYPE") + DefaultOrder); });
    printFigures("selection opened and counted", ws.scanResult, seconds);
    int yields = 0;
    qint64 written = 0;
    seconds = timed([&] {
        written = report::rebuildDetailTable(
            ws, *ws.sqlRecordsets[static_cast<size_t>(work::SqlRecordset::Selection)], inputs,
            [&] { ++yields; });
    });
    printFigures("FILEDETTYPE written from the whole selection", written, seconds);
    std::printf("  %d yields to the event loop while writing\n", yields);

    // The report engine holds at most MaxRows rows: the whole build on the folders that fit.
    const qint64 folders = std::min(rows, qint64(report::MaxRows)) / RowsPerFolder;
    select(ws, QStringLiteral("SELECT * FROM FILETYPE WHERE PATHNUMBER <= %1").arg(folders) + DefaultOrder);
    report::ReportEngine engine(report::ReportKind::Detail, ws);
    ws.unchangedFlags.fill(false);
    bool built = false;
    seconds = timed([&] { built = report::buildDetailReport(ws, engine, inputs); });
    printFigures(built ? "whole Detail build (report, rows, page 1)" : "whole Detail build FAILED",
                 ws.scanResult, seconds);
    engine.rptClose();
}

struct Section {
    const char* option;
    std::function<void(work::WorkState&, qint64)> run;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const Section sections[] = {{"--detail", benchDetail}};

    QStringList chosen, positional;
    for (const QString& arg : app.arguments().mid(1))
        (arg.startsWith(QLatin1String("--")) ? chosen : positional).append(arg);
    const qint64 rows = positional.size() > 0 ? positional[0].toLongLong() : 1000000;
    const QString base = positional.size() > 1 ? positional[1] : QDir::currentPath();
    QTemporaryDir dir(base + QStringLiteral("/bench_reports-XXXXXX"));
    if (!dir.isValid() || rows <= 0) {
        std::fprintf(stderr, "usage: bench_reports [--detail] [records > 0] [folder]\n");
        return 1;
    }

    work::WorkState ws;
    ws.workDirectory = dir.path();
    try {
        QString name;
        work::openWorkFile(ws, QStringLiteral("INIT"), name);
        if (!ws.databaseOpen) {
            std::fprintf(stderr, "cannot make a work file in %s\n", qPrintable(dir.path()));
            return 1;
        }
        ws.settings.detailColumns = defaultDetailColumns();
        ws.settings.summaryColumns = defaultSummaryColumns();
        std::printf("report benchmark: %lld file records in %lld folders, work file in %s\n", rows,
                    (rows + RowsPerFolder - 1) / RowsPerFolder, qPrintable(dir.path()));
        const double seconds = timed([&] { fillFileTable(ws, rows); });
        printFigures("FILETYPE generated", rows, seconds);

        for (const Section& section : sections) {
            if (chosen.isEmpty() || chosen.contains(QLatin1String(section.option)))
                section.run(ws, rows);
        }
        std::printf("work file %.1f MB\n",
                    double(QFileInfo(ws.workingCopyName()).size()) / (1024.0 * 1024.0));
        work::closeWorkFile(ws);
    } catch (const db::EngineError& e) {
        std::fprintf(stderr, "engine error %d: %s\n", e.number(), qPrintable(e.description()));
        return 1;
    }
    return 0;
}
