// Any bytes as a .zek file, opened as the user's Open does: refused with a message or loaded,
// never a crash, and a refused file never replaces the work file in use.
#include "fuzz_support.h"
#include "work/work_file.h"
#include "work/work_schema.h"

#include <QFile>

#include <cstdlib>

using namespace zek;

namespace {

work::WorkState& openerState() {
    static work::WorkState ws;
    ws.workDirectory = fuzz::scratchDir();
    return ws;
}

} // namespace

// A fresh work file as the program saves one: every settings table, with the default settings.
void zek::fuzz::writeWorkFileSeed(const QString& target) {
    work::WorkState ws;
    ws.workDirectory = fuzz::scratchDir();
    QString name;
    work::openWorkFile(ws, QStringLiteral("NEW"), name);
    ws.settings.folders.append(QStringLiteral("/home/o'brien"), QStringLiteral("/HOME/OBRIEN~1"));
    ws.settings.detailTitles.firstTitle = QStringLiteral("Files of O'Brien");
    if (!work::saveWorkFile(ws, target))
        fuzz::fail("cannot write the seed", target);
    work::closeWorkFile(ws);
}

#ifndef ZEK_FUZZ_REGRESSION
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // `ZEK_FUZZ_SEED=file` writes a valid work file there to start a corpus with, and stops.
    if (const char* seed = std::getenv("ZEK_FUZZ_SEED")) {
        fuzz::writeWorkFileSeed(QString::fromLocal8Bit(seed));
        std::exit(0);
    }
    return 0;
}
#endif

int zek::fuzz::workFileInput(const uint8_t* data, size_t size) {
    work::WorkState& ws = openerState();
    const QString file = fuzz::scratchDir() + QStringLiteral("/chosen.zek");
    {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            out.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
            fuzz::fail("cannot write the input", file);
    }
    QString name = file;
    work::openWorkFile(ws, QStringLiteral("LOAD"), name);
    if (ws.databaseOpen) {
        // An accepted file must also survive the first things a session does with it.
        try {
            (void)work::workFileChanged(ws);
            for (int t = 0; t < work::WorkTableCount; ++t) {
                const auto table = static_cast<work::WorkTable>(t);
                if (!ws.database->hasTable(work::tableName(table)))
                    continue;
                db::Recordset& rs = work::openedTable(ws, table);
                for (int i = 0; i < 50 && !rs.eof(); ++i, rs.moveNext()) {
                    for (int f = 0; f < rs.fieldCount(); ++f)
                        (void)rs.value(f);
                }
            }
        } catch (const db::EngineError&) {
        }
    }
    // The next input starts with nothing open and nothing to save.
    ws.activeFileName.clear();
    work::closeWorkFile(ws);
    ws.settings = work::defaultWorkSettings();
    ws.savedSettings = ws.settings;
    return 0;
}

ZEK_FUZZ_ENTRY(zek::fuzz::workFileInput)
