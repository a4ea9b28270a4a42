#include "app/batch_options.h"

#include "work/work_file.h"

namespace zek::batch {

QString batchUsage() {
    return QStringLiteral(
        "Usage: zek-batch [--work-dir DIR] [FILE.zek] [--clear] [--add FOLDER]... [--scan]\n"
        "                 [--save-as FILE.zek] [--select] [--quiet]\n"
        "       zek-batch --help | --version\n");
}

QString batchHelp() {
    return batchUsage() +
           QStringLiteral(
               "\n"
               "Takes an inventory of folders into a ZEK work file, without windows.\n"
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
               "  --scan            empty the file table and walk the chosen folders into it\n"
               "  --save-as FILE    save the work file under this name (default: FILE.zek, when the\n"
               "                    list or the file table changed)\n"
               "  --select          build the statement of the work file's condition lines and\n"
               "                    sorters, as the Conditions & Sorting window does, and select with\n"
               "                    it (after --scan and the save, so from the fresh scan): prints the\n"
               "                    statement on one line and the number of selected records on the\n"
               "                    next; the work file is not changed\n"
               "  --quiet           no progress line and no summary\n"
               "  --help            show this text\n"
               "  --version         show the version\n"
               "\n"
               "Folders and entries the scan has to skip (unreadable, vanished) are listed on the\n"
               "standard error output; the scan goes on. Ctrl-C stops a scan; nothing is saved then.\n"
               "\n"
               "Exit status:\n"
               "  0    done\n"
               "  1    the work file, the database or a file failed (error number and text on stderr)\n"
               "  2    refused input: no arguments, a bad option, a folder that does not exist, a folder the "
               "add check\n"
               "       refuses, or --scan with no chosen folder\n"
               "  3    --select: the engine rejected the statement (error number, text and the\n"
               "       statement on stderr); a scan given with it is saved all the same\n"
               "  4    the work folder is in use by ZEK or another zek-batch; nothing was done\n"
               "  130  interrupted\n");
}

QString batchVersion() {
    return QStringLiteral("zek-batch ") + work::ProgramVersionText;
}

ParsedOptions parseBatchOptions(const QStringList& arguments) {
    ParsedOptions parsed;
    BatchOptions& o = parsed.options;
    auto refuse = [&](const QString& why) {
        parsed.error = why;
        return parsed;
    };
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        const bool isOption = !optionsEnded && arg.startsWith(u'-') && arg.size() > 1;
        if (!isOption) {
            if (!o.workFile.isEmpty())
                return refuse(
                    QStringLiteral("more than one work file given: %1 and %2").arg(o.workFile, arg));
            o.workFile = arg;
            continue;
        }
        // "--name=value" is accepted as well as "--name value".
        QString name = arg;
        QString value;
        bool hasInlineValue = false;
        if (arg.startsWith(QLatin1String("--"))) {
            const qsizetype eq = arg.indexOf(u'=');
            if (eq > 0) {
                name = arg.left(eq);
                value = arg.mid(eq + 1);
                hasInlineValue = true;
            }
        }
        auto takeValue = [&](QString& into) {
            if (hasInlineValue) {
                into = value;
                return true;
            }
            if (i + 1 >= arguments.size())
                return false;
            into = arguments.at(++i);
            return true;
        };
        const bool takesValue = name == QLatin1String("--work-dir") || name == QLatin1String("--add") ||
                                name == QLatin1String("--save-as") || name == QLatin1String("--detail") ||
                                name == QLatin1String("--summary");
        if (hasInlineValue && !takesValue)
            return refuse(QStringLiteral("option %1 takes no value").arg(name));

        if (name == QLatin1String("--")) {
            optionsEnded = true;
        } else if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
            o.help = true;
        } else if (name == QLatin1String("--version")) {
            o.version = true;
        } else if (name == QLatin1String("--quiet") || name == QLatin1String("-q")) {
            o.quiet = true;
        } else if (name == QLatin1String("--clear")) {
            o.clear = true;
        } else if (name == QLatin1String("--scan")) {
            o.scan = true;
        } else if (name == QLatin1String("--select")) {
            o.select = true;
        } else if (name == QLatin1String("--work-dir")) {
            if (!takeValue(o.workDirectory) || o.workDirectory.isEmpty())
                return refuse(QStringLiteral("option --work-dir needs a folder"));
        } else if (name == QLatin1String("--add")) {
            QString folder;
            if (!takeValue(folder) || folder.isEmpty())
                return refuse(QStringLiteral("option --add needs a folder"));
            o.addFolders << folder;
        } else if (name == QLatin1String("--save-as")) {
            if (!takeValue(o.saveAs) || o.saveAs.isEmpty())
                return refuse(QStringLiteral("option --save-as needs a file name"));
        } else if (name == QLatin1String("--detail") || name == QLatin1String("--summary")) {
            QString& file = name == QLatin1String("--detail") ? o.detailFile : o.summaryFile;
            if (!takeValue(file) || file.isEmpty())
                return refuse(QStringLiteral("option %1 needs a file name").arg(name));
        } else {
            return refuse(QStringLiteral("unknown option %1").arg(arg));
        }
    }
    return parsed;
}

} // namespace zek::batch
