// The command line of zek-batch, the headless scanner. docs/zek-batch.1 describes it for users.
#pragma once

#include <QString>
#include <QStringList>

namespace zek::batch {

// Exit statuses.
constexpr int ExitOk = 0;
constexpr int ExitEngineError = 1;        // the work file, the database or a file failed
constexpr int ExitRefused = 2;            // a bad option, or input the program refuses (an add check)
constexpr int ExitSelectionRejected = 3;  // --select: the engine rejected the statement
constexpr int ExitWorkDirectoryInUse = 4; // another program (ZEK or zek-batch) uses the work folder
constexpr int ExitEmptySelection = 5;     // the selection holds no record; no report written
constexpr int ExitInterrupted = 130;

struct BatchOptions {
    QString workDirectory; // empty: a fresh temporary folder
    QString workFile;      // FILE.zek; empty: a new working copy
    bool clear = false;
    QStringList addFolders;
    bool scan = false;
    bool select = false;
    QString saveAs;
    bool quiet = false;
    bool help = false;
    bool version = false;
    QString detailFile;     // --detail FILE: .csv, .txt or .pdf
    QString summaryFile;    // --summary FILE: .csv, .txt or .pdf
    QStringList conditions; // --condition LINE, in the order given; they replace the stored lines
    QStringList sorts;      // --sort FIELD[+|-], at most three; they replace the stored sorters
    bool showConditions = false;
    bool list = false;
};

struct ParsedOptions {
    BatchOptions options;
    QString error;         // why the command line was refused; empty when it was not
    bool showUsage = true; // whether the usage lines help with that error
};

// `arguments` without the program name.
ParsedOptions parseBatchOptions(const QStringList& arguments);

// The long name of every option, without the dashes.
QStringList batchOptionNames();

// Why a report cannot be written to `file` by its name; empty when the name ends in .csv, .txt or
// .pdf (in any case).
QString reportFileError(const QString& file);

QString batchUsage();
QString batchHelp();
QString batchVersion(); // "zek-batch " and the version text

} // namespace zek::batch
