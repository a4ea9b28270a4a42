// Summary report build time against the sqlite3 shell running the two grouping queries on the same
// file. A work file gets N synthetic FILETYPE records spread over F folders of a ten-way folder tree
// (paths ending in "/", levels from 0); the Summary report is built with the condition
// EXTENSION = 'TXT'; then the shell runs the same two queries in SQLite's own SQL.
//
// Usage: bench_summary [records] [folders] [folder]
//        (defaults: 1000000, 100000, a temporary folder under the current one)
#include "db/record_appender.h"
#include "report/report_build.h"
#include "work/work_schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>

using namespace zek;

namespace {

double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// Peak resident set size of this process, in MB.
double peakRssMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

std::string_view bytes(const QByteArray& text) {
    return std::string_view(text.constData(), size_t(text.size()));
}

// Folder i > 0 lies in folder (i - 1) / 10; folder 0 is the chosen folder, level 0.
void fillFileTable(db::Database& db, qint64 records, int folders) {
    std::vector<QByteArray> paths(static_cast<size_t>(folders));
    std::vector<int> levels(static_cast<size_t>(folders));
    paths[0] = "/home/user/inventory/";
    for (int i = 1; i < folders; ++i) {
        const int parent = (i - 1) / 10;
        paths[size_t(i)] = paths[size_t(parent)] + "folder " + QByteArray::number(i) + "/";
        levels[size_t(i)] = levels[size_t(parent)] + 1;
    }
    static const char* const extensions[] = {"TXT", "DOC", "CPP", "H", "PNG"};
    std::mt19937_64 random(42);
    std::uniform_int_distribution<qint64> size(0, 4'000'000);

    db::Transaction transaction(db);
    db::RecordAppender appender(db, "FILETYPE",
                                {"PATH", "LONGPATH", "PATHLEVEL", "NAME", "LONGNAME", "EXTENSION", "SIZE"});
    for (qint64 r = 0; r < records; ++r) {
        const size_t folder = size_t(r % folders);
        const QByteArray longName = "document " + QByteArray::number(r) + ".txt";
        const QByteArray name = "DOC" + QByteArray::number(r % 100000);
        appender.setText(0, bytes(paths[folder]));
        appender.setText(1, bytes(paths[folder]));
        appender.setInteger(2, levels[folder]);
        appender.setText(3, bytes(name));
        appender.setText(4, bytes(longName));
        appender.setText(5, extensions[r % 5]);
        appender.setInteger(6, size(random));
        appender.append();
    }
    transaction.commit();
}

// The shell's best of two runs over both queries, in seconds; -1 when it could not run.
double shellSeconds(const QString& file) {
    const QString all = QStringLiteral("SELECT PATH, Sum(SIZE) AS TOTALSIZE, PATHLEVEL, COUNT(*) AS TOTALSEL "
                                       "FROM FILETYPE GROUP BY PATH, PATHLEVEL ORDER BY PATH DESC;");
    const QString selected =
        QStringLiteral("SELECT PATH, Sum(SIZE) AS SELSIZE, PATHLEVEL, COUNT(*) AS SEL "
                       "FROM FILETYPE WHERE (EXTENSION = 'TXT') GROUP BY PATH, PATHLEVEL "
                       "ORDER BY PATH DESC;");
    const QByteArray command =
        "sqlite3 '" + file.toUtf8() + "' \"" + all.toUtf8() + " " + selected.toUtf8() + "\" > /dev/null";
    double best = -1;
    for (int run = 0; run < 2; ++run) {
        QElapsedTimer clock;
        clock.start();
        if (std::system(command.constData()) != 0)
            return -1;
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        best = best < 0 ? seconds : std::min(best, seconds);
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const qint64 records = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1'000'000;
    const int folders = argc > 2 ? QByteArray(argv[2]).toInt() : 100'000;
    QTemporaryDir temp(argc > 3 ? QString::fromLocal8Bit(argv[3]) + "/bench_summary-XXXXXX"
                                : QDir::currentPath() + "/bench_summary-XXXXXX");
    const QString file = temp.filePath(QStringLiteral("work.zek"));

    work::WorkState ws;
    ws.database = db::Database::create(file);
    ws.databaseOpen = true;
    ws.database->createTable(work::filetypeDef());
    QElapsedTimer clock;
    clock.start();
    fillFileTable(*ws.database, records, folders);
    std::printf("file table: %lld records in %d folders written in %.2f s\n", records, folders,
                double(clock.nsecsElapsed()) / 1e9);

    ws.settings.summaryColumns = defaultSummaryColumns();
    ws.unchanged(work::SettingsGroup::Folders) = false;
    report::ReportEngine engine(report::ReportKind::Summary, ws);
    report::BuildInputs inputs;
    inputs.whereClause = QStringLiteral("EXTENSION = 'TXT'");

    // The longest stretch in which the window could not have answered: between the build's start,
    // each call to let events run, and its end.
    QElapsedTimer sinceAnswer;
    qint64 longestGapMs = 0;
    int answers = 0;
    engine.processEvents = [&] {
        longestGapMs = std::max(longestGapMs, sinceAnswer.restart());
        ++answers;
    };

    clock.restart();
    sinceAnswer.start();
    const double cpuStart = cpuSeconds();
    const bool shown = report::buildSummaryReport(ws, engine, inputs);
    longestGapMs = std::max(longestGapMs, sinceAnswer.elapsed());
    const double buildSeconds = double(clock.nsecsElapsed()) / 1e9;
    std::printf("window answered %d times, longest gap %lld ms\n", answers, longestGapMs);
    const double buildCpu = cpuSeconds() - cpuStart;
    const long long rows = ws.database->openSql(QStringLiteral("SELECT * FROM FILESUMTYPE"))->recordCount();
    std::printf("summary build: %.2f s (cpu %.2f s), %lld report rows, report %s\n", buildSeconds, buildCpu,
                rows, shown ? "shown" : "not shown (the engine holds at most 32767 rows)");
    ws.tables = {};
    ws.sqlRecordsets = {};
    ws.database->close();
    ws.databaseOpen = false;

    const double shell = shellSeconds(file);
    if (shell < 0) {
        std::printf("sqlite3 shell: could not run (apt-get install -y sqlite3)\n");
    } else {
        std::printf("sqlite3 shell, both grouping queries: %.2f s\n", shell);
        std::printf("ratio build / shell: %.2f\n", buildSeconds / shell);
    }
    std::printf("peak RSS: %.0f MB\n", peakRssMb());
    return 0;
}
