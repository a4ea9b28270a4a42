// Engine throughput: the folder walk's appends to FILETYPE (21 fields) through one table record set,
// in transactions committed every ~50 ms or every N records; then reading them back.
//
// Usage: bench_engine [records] [folder]   (defaults: 1000000, a temporary folder under the current one)
#include "db/engine.h"
#include "work/work_schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>
#include <functional>

using namespace zek::db;
using namespace zek::work;

namespace {

// CPU seconds of this process: the machine may be shared, so wall time alone can mislead.
double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

struct Result {
    double seconds = 0;
    double cpu = 0;
    int commits = 0;
};

// Appends `count` records the way the walker does: AddNew, 21 values by name, Update.
// commitMs > 0: commit when that many milliseconds passed; else every commitRows records.
Result insert(Database& db, qint64 count, int commitMs, qint64 commitRows) {
    auto rs = db.openTable(QStringLiteral("Filetype"));
    QStringList folders;
    for (int i = 0; i < 1000; ++i)
        folders << QStringLiteral("/home/user/projects/folder%1/sub%2").arg(i / 10).arg(i % 10);
    Result r;
    QElapsedTimer total, sinceCommit;
    total.start();
    sinceCommit.start();
    const double cpuStart = cpuSeconds();
    db.beginTransaction();
    qint64 inBatch = 0;
    for (qint64 i = 0; i < count; ++i) {
        const QString& folder = folders[int(i % folders.size())];
        const QString longName = QStringLiteral("document number %1.txt").arg(i);
        rs->addNew();
        rs->setValue(QStringLiteral("PATH"), folder.left(66));
        rs->setValue(QStringLiteral("LONGPATH"), folder);
        rs->setValue(QStringLiteral("PATHLEVEL"), 5);
        rs->setValue(QStringLiteral("PATHNUMBER"), double(i % 1000));
        rs->setValue(QStringLiteral("NAME"), QStringLiteral("DOCUME~1"));
        rs->setValue(QStringLiteral("LONGNAME"), longName);
        rs->setValue(QStringLiteral("EXTENSION"), QStringLiteral("TXT"));
        rs->setValue(QStringLiteral("SIZE"), qint64(i) * 4099);
        rs->setValue(QStringLiteral("DATE"), 20240115);
        rs->setValue(QStringLiteral("TIME"), 134502);
        rs->setValue(QStringLiteral("CREATIONDATE"), 20230101);
        rs->setValue(QStringLiteral("CREATIONTIME"), 80000);
        rs->setValue(QStringLiteral("ACCESSDATE"), 20240201);
        rs->setValue(QStringLiteral("ACCESSTIME"), 101010);
        rs->setValue(QStringLiteral("ARCHIVE"), true);
        rs->setValue(QStringLiteral("SYSTEM"), false);
        rs->setValue(QStringLiteral("HIDDEN"), (i % 17) == 0);
        rs->setValue(QStringLiteral("READONLY"), false);
        rs->setValue(QStringLiteral("DIRECTORY"), (i % 20) == 0);
        rs->setValue(QStringLiteral("COMPRESSED"), false);
        rs->setValue(QStringLiteral("TEMPORARY"), false);
        rs->update();
        ++inBatch;
        const bool due = commitMs > 0 ? ((inBatch & 255) == 0 && sinceCommit.elapsed() >= commitMs)
                                      : inBatch >= commitRows;
        if (due) {
            db.commit();
            ++r.commits;
            db.beginTransaction();
            inBatch = 0;
            sinceCommit.restart();
        }
    }
    db.commit();
    ++r.commits;
    r.seconds = double(total.nsecsElapsed()) / 1e9;
    r.cpu = cpuSeconds() - cpuStart;
    return r;
}

double timed(const std::function<void()>& f) {
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qint64 count = args.size() > 1 ? args[1].toLongLong() : 1000000;
    const QString base = args.size() > 2 ? args[2] : QDir::currentPath();
    QTemporaryDir dir(base + QStringLiteral("/bench_engine-XXXXXX"));
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a folder under %s\n", qPrintable(base));
        return 1;
    }
    try {
        std::printf("engine benchmark: %lld records of 21 fields, files in %s\n", count,
                    qPrintable(dir.path()));
        struct Mode {
            const char* label;
            int ms;
            qint64 rows;
        };
        const Mode modes[] = {{"commit every 50 ms", 50, 0}, {"commit every 10000 records", 0, 10000}};
        int n = 0;
        for (const Mode& m : modes) {
            const QString path = dir.filePath(QStringLiteral("bench%1.zek").arg(++n));
            auto db = Database::create(path);
            db->createTable(filetypeDef());
            const Result r = insert(*db, count, m.ms, m.rows);
            db->close();
            std::printf("  insert, %-27s %7.2f s wall %9.0f records/s | %6.2f s CPU %9.0f records/CPU-s | "
                        "%d commits, file %.1f MB\n",
                        m.label, r.seconds, double(count) / r.seconds, r.cpu, double(count) / r.cpu,
                        r.commits, double(QFileInfo(path).size()) / (1024.0 * 1024.0));
        }

        auto db = Database::open(dir.filePath(QStringLiteral("bench1.zek")));
        qint64 rows = 0;
        double s = timed([&] {
            auto rs = db->openTable(QStringLiteral("FILETYPE"));
            for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
                for (int f = 0; f < rs->fieldCount(); ++f)
                    rs->value(f);
                ++rows;
            }
        });
        std::printf("  read table record set, 21 fields: %8.2f s  %10.0f records/s\n", s, double(rows) / s);

        // Selections: opening runs the statement up to its first row (with ORDER BY, the whole sort).
        const QString selections[] = {QStringLiteral("SELECT * FROM FILETYPE WHERE LONGNAME LIKE '*1?3*' AND "
                                                     "SIZE >= 1024 ORDER BY SIZE DESC,NAME"),
                                      QStringLiteral("SELECT * FROM FILETYPE ORDER BY PATH,NAME,EXTENSION")};
        for (const QString& sql : selections) {
            std::unique_ptr<Recordset> sel;
            long long selected = 0;
            s = timed([&] {
                sel = db->openSql(sql);
                sel->moveLast();
                selected = sel->recordCount();
            });
            rows = 0;
            const double stream = timed([&] {
                for (sel->moveFirst(); !sel->eof(); sel->moveNext()) {
                    for (int f = 0; f < sel->fieldCount(); ++f)
                        sel->value(f);
                    ++rows;
                }
            });
            std::printf(
                "  %s\n    open + MoveLast + RecordCount: %lld records, %.2f s; read all 21 fields from "
                "MoveFirst: %.2f s\n",
                qPrintable(sql), selected, s, stream);
        }

        auto groups = db->openSql(
            QStringLiteral("SELECT PATH, Sum(SIZE) As TOTALSIZE, PATHLEVEL, COUNT(*) As TOTALSEL  "
                           "FROM FILETYPE GROUP BY PATH, PATHLEVEL ORDER BY PATH DESC"));
        auto selGroups =
            db->openSql(QStringLiteral("SELECT PATH, Sum(SIZE) As SELSIZE, PATHLEVEL, COUNT(*) As SEL FROM "
                                       "FILETYPE WHERE (HIDDEN = TRUE) GROUP BY PATH,PATHLEVEL ORDER BY "
                                       "PATH DESC"));
        int found = 0, total = 0;
        s = timed([&] {
            for (; !groups->eof(); groups->moveNext()) {
                selGroups->findFirst(QStringLiteral("PATH = \"%1\"").arg(groups->value(0).toString()));
                found += selGroups->noMatch() ? 0 : 1;
                ++total;
            }
        });
        std::printf("  summary grouping with FindFirst per group: %d groups (%d found), %.2f s\n", total,
                    found, s);
        groups->close();
        selGroups->close();

        s = timed([&] { db->execute(QStringLiteral("Delete * from filetype")); });
        std::printf("  Delete * from filetype: %.2f s\n", s);
        db->close();
    } catch (const EngineError& e) {
        std::fprintf(stderr, "engine error %d: %s\n", e.number(), qPrintable(e.description()));
        return 1;
    }
    return 0;
}
