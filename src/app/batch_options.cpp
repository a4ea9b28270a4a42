#include "app/batch_options.h"

#include "report/report_export.h"

#include "work/work_file.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <vector>

namespace zek::batch {

namespace {

struct OptionDef {
    QStringList names; // the long name last
    QString valueName; // empty for an option without a value
    const char* needs; // what a missing value is, for the message
    bool mayBeEmpty = false;
    QString longName() const { return names.last(); }
};

const std::vector<OptionDef>& optionDefs() {
    static const std::vector<OptionDef> defs{
        {{"work-dir"}, "DIR", "a folder"},
        {{"clear"}, "", ""},
        {{"add"}, "FOLDER", "a folder"},
        {{"scan"}, "", ""},
        {{"condition"}, "LINE", "a condition line", true},
        {{"sort"}, "FIELD", "a sort field"},
        {{"show-conditions"}, "", ""},
        {{"save-as"}, "FILE", "a file name"},
        {{"select"}, "", ""},
        {{"list"}, "", ""},
        {{"detail"}, "FILE", "a file name"},
        {{"summary"}, "FILE", "a file name"},
        {{"q", "quiet"}, "", ""},
        {{"h", "help"}, "", ""},
        {{"version"}, "", ""},
    };
    return defs;
}

const OptionDef* findDef(const QString& name) {
    for (const OptionDef& s : optionDefs()) {
        if (s.names.contains(name))
            return &s;
    }
    return nullptr;
}

// The parser's complaint in this program's words: the option as it was typed.
QString parserError(const QCommandLineParser& parser, const QStringList& arguments) {
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        const QString& name = unknown.first();
        if (name.size() > 1)
            return QStringLiteral("unknown option --") + name;
        // A letter of a word such as "-help": the word as it was typed.
        for (const QString& arg : arguments) {
            if (arg == QLatin1String("--"))
                break;
            if (arg.startsWith(u'-') && !arg.startsWith(QLatin1String("--")) && arg.contains(name))
                return QStringLiteral("unknown option ") + arg;
        }
        return QStringLiteral("unknown option -") + name;
    }
    for (const QString& arg : arguments) {
        if (arg == QLatin1String("--"))
            break;
        const qsizetype eq = arg.indexOf(u'=');
        if (!arg.startsWith(QLatin1String("--")) || eq < 0)
            continue;
        const QString name = arg.mid(2, eq - 2);
        if (const OptionDef* def = findDef(name); def && def->valueName.isEmpty())
            return QStringLiteral("option --%1 takes no value").arg(name);
    }
    if (!arguments.isEmpty() && arguments.last().startsWith(QLatin1String("--"))) {
        const QString name = arguments.last().mid(2);
        if (const OptionDef* def = findDef(name); def && !def->valueName.isEmpty())
            return QStringLiteral("option --%1 needs %2").arg(name, QLatin1String(def->needs));
    }
    return parser.errorText();
}

} // namespace

QStringList batchOptionNames() {
    QStringList names;
    for (const OptionDef& s : optionDefs())
        names.append(s.longName());
    return names;
}

QString reportFileError(const QString& file) {
    return report::exportFormatOf(file) ? QString() : report::refusedExportText(file);
}

QString batchUsage() {
    return QStringLiteral(
        "Usage: zek-batch [--work-dir DIR] [FILE.zek] [--clear] [--add FOLDER]... [--scan]\n"
        "                 [--condition LINE]... [--sort FIELD[+|-]]... [--show-conditions]\n"
        "                 [--save-as FILE.zek] [--select] [--list] [--detail FILE] [--summary FILE]\n"
        "                 [--quiet]\n"
        "       zek-batch --help | --version\n");
}

QString batchHelp() {
    return batchUsage() +
           QStringLiteral(
               "\n"
               "Takes an inventory of folders into a ZEK work file, selects from it and writes its\n"
               "reports, without windows. The steps run in the order listed below, whatever the order\n"
               "of the options. The manual page zek-batch(1) says more.\n"
               "\n"
               "  FILE.zek          the work file to open; when it does not exist, a new work file is\n"
               "                    started and saved under this name\n"
               "  --work-dir DIR    the folder of the private working copy (work.zek); default: a fresh\n"
               "                    temporary folder, removed at the end, so a running ZEK is never\n"
               "                    disturbed. A folder that ZEK or another zek-batch is using is\n"
               "                    refused (status 4)\n"
               "  --clear           empty the list of chosen folders\n"
               "  --add FOLDER      add a folder to the list, with the add check of the Path Selection\n"
               "                    window (a folder already listed, inside a listed one or holding one\n"
               "                    is refused); may be given several times\n"
               "  --condition LINE  a condition line, as a row of the Conditions & Sorting grid reads:\n"
               "                    [(...] FIELD EVALUATION VALUE [UNIT] [)...] [CONNECTION], for example\n"
               "                    \"( NAME = A* OR\", \"SIZE >= 1.5 MB )\", \"DATE < 2020-01-31\",\n"
               "                    \"HIDDEN NOT = SET AND NOT\". May be given several times; together they\n"
               "                    replace the stored lines. A value with spaces goes in double quotes;\n"
               "                    dates in ISO form (YYYY-MM-DD) or the locale's short form, times as\n"
               "                    24-hour HH:MM or with AM or PM. A value the grid would refuse is\n"
               "                    refused with the grid's message (status 2)\n"
               "  --sort FIELD[+|-] a sorter: FIELD+ or FIELD ascending, FIELD- descending; at most\n"
               "                    three, in sorter order; together they replace the stored sorters\n"
               "  --show-conditions print the condition lines, one a line, in the --condition form\n"
               "  --scan            empty the file table and walk the chosen folders into it\n"
               "  --save-as FILE    save the work file under this name (default: FILE.zek, when the\n"
               "                    list, the file table, the condition lines or the sorters changed)\n"
               "  --select          build the statement of the work file's condition lines and\n"
               "                    sorters, as the Conditions & Sorting window does, and select with\n"
               "                    it (after --scan and the save, so from the fresh scan): prints the\n"
               "                    statement on one line and the number of selected records on the\n"
               "                    next; the work file is not changed\n"
               "  --list            select as --select does and print the selected records in their\n"
               "                    order: a header line of field names, then one record a line, the\n"
               "                    fields separated by tabs (a tab, line feed, carriage return or\n"
               "                    backslash in a value written \\t, \\n, \\r, \\\\)\n"
               "  --detail FILE     write the Detail report to FILE: .csv, .txt or .pdf\n"
               "  --summary FILE    write the Summary report to FILE: .csv, .txt or .pdf; another\n"
               "                    ending is refused before anything is done (status 2)\n"
               "  -q, --quiet       no progress line and no summary\n"
               "  -h, --help        show this text\n"
               "  --version         show the version\n"
               "\n"
               "Folders and entries the scan has to skip (unreadable, vanished) are listed on the\n"
               "standard error output; the scan goes on. Ctrl-C stops a scan as Cancel does: nothing\n"
               "is saved and no report is written, so FILE.zek keeps what it held before the run. A\n"
               "second Ctrl-C ends the program at once.\n"
               "\n"
               "Exit status:\n"
               "  0    done\n"
               "  1    the work file, the database or a file failed (error number and text on stderr)\n"
               "  2    refused input: no arguments, a bad option, a folder that does not exist, a folder\n"
               "       the add check refuses, --scan with no chosen folder, a condition line or sort\n"
               "       field that is refused, or a report file that does not end in .csv, .txt or .pdf\n"
               "  3    --select: the engine rejected the statement (error number, text and the\n"
               "       statement on stderr); a scan given with it is saved all the same\n"
               "  4    the work folder is in use by ZEK or another zek-batch; nothing was done\n"
               "  5    the selection is empty (\"No files in selection, please reselect.\"); no report\n"
               "       written\n"
               "  130  interrupted\n"
               "\n"
               "Example: a crontab line that scans every night at two and writes both reports:\n"
               "  0 2 * * * zek-batch ~/inv.zek --scan --summary ~/inv-summary.csv --detail ~/inv-detail.pdf "
               "--quiet\n");
}

QString batchVersion() {
    return QStringLiteral("zek-batch ") + work::ProgramVersionText;
}

ParsedOptions parseBatchOptions(const QStringList& arguments) {
    ParsedOptions parsed;
    BatchOptions& o = parsed.options;
    auto refuse = [&](const QString& why, bool showUsage = true) {
        parsed.error = why;
        parsed.showUsage = showUsage;
        return parsed;
    };

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    for (const OptionDef& def : optionDefs())
        parser.addOption(QCommandLineOption(def.names, QString(), def.valueName));
    if (!parser.parse(QStringList{QStringLiteral("zek-batch")} + arguments))
        return refuse(parserError(parser, arguments));

    for (const OptionDef& def : optionDefs()) {
        if (def.valueName.isEmpty() || def.mayBeEmpty)
            continue;
        for (const QString& value : parser.values(def.longName())) {
            if (value.isEmpty())
                return refuse(
                    QStringLiteral("option --%1 needs %2").arg(def.longName(), QLatin1String(def.needs)));
        }
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        return refuse(
            QStringLiteral("more than one work file given: %1 and %2").arg(positional[0], positional[1]));
    o.workFile = positional.value(0);

    o.help = parser.isSet(QStringLiteral("help"));
    o.version = parser.isSet(QStringLiteral("version"));
    o.quiet = parser.isSet(QStringLiteral("quiet"));
    o.clear = parser.isSet(QStringLiteral("clear"));
    o.scan = parser.isSet(QStringLiteral("scan"));
    o.select = parser.isSet(QStringLiteral("select"));
    o.list = parser.isSet(QStringLiteral("list"));
    o.showConditions = parser.isSet(QStringLiteral("show-conditions"));
    o.workDirectory = parser.value(QStringLiteral("work-dir"));
    o.addFolders = parser.values(QStringLiteral("add"));
    o.saveAs = parser.value(QStringLiteral("save-as"));
    o.detailFile = parser.value(QStringLiteral("detail"));
    o.summaryFile = parser.value(QStringLiteral("summary"));
    o.conditions = parser.values(QStringLiteral("condition"));
    o.sorts = parser.values(QStringLiteral("sort"));

    if (o.sorts.size() > 3)
        return refuse(QStringLiteral("at most three --sort options: there are three sorters"), false);
    for (const QString& file : {o.detailFile, o.summaryFile}) {
        if (!file.isEmpty())
            if (const QString why = reportFileError(file); !why.isEmpty())
                return refuse(why, false);
    }
    return parsed;
}

} // namespace zek::batch
