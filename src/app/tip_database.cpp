#include "app/tip_database.h"

#include "db/engine.h"
#include "platform/profile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

namespace zek {

namespace {

const QString CrLf = QStringLiteral("\r\n");
const QString Quote = QStringLiteral("\"");

QString memoOf(const QStringList& lines) {
    QString memo;
    for (const QString& line : lines)
        memo += line + CrLf;
    return memo;
}

const QString TableName = QStringLiteral("TIPOFDAY");
const QString IndexField = QStringLiteral("TIPOFDAYINDEX");
const QString MemoField = QStringLiteral("TIPOFDAYMEMO");
const QString IndexName = QStringLiteral("TIPOFDAYINDEX_INDEX");

// Moves to the first tip with an index at or above `wanted`; its memo, or nothing.
std::optional<QString> seekTip(TipOfTheDay& tip, int wanted) {
    std::unique_ptr<db::Database> database = db::Database::open(tipDatabasePath(tip.workDirectory), true);
    std::unique_ptr<db::Recordset> table = database->openTable(TableName);
    table->setIndex(IndexName);
    table->seek(QStringLiteral(">="), {static_cast<double>(wanted)});
    std::optional<QString> memo;
    if (!table->noMatch()) {
        memo = table->value(MemoField).toString();
        tip.currentTip = static_cast<int>(table->value(IndexField).toDouble());
        tip.memo = *memo;
    }
    table->close();
    database->close();
    return memo;
}

} // namespace

const std::vector<TipRecord>& initialTips() {
    static const std::vector<TipRecord> tips{
        {-1, memoOf({"Quick Start.", "", "Select Drive and folder (subdirectory); ", "Click the Add-key;",
                     "Click the Start-key.", "", "Processing a whole drive can take some time!"})},
        {1, memoOf({"Create DEFAULT.ZEK.", "",
                    "Make the settings for the WINDOWS Path Selection, Conditions & Sorting, Setup Detail "
                    "Report and Setup Summary Report default.",
                    "",
                    "Save the database to default.zek in the subdirectory specified by the Database Path "
                    "(menu Help, topic About)."})},
        {2, memoOf({"International Settings.", "", "The way sizes, dates, times are displayed,",
                    "depend on the settings specified in Control Panel."})},
        {3, memoOf({"Biggest files.", "",
                    "Go to Sorting in the " + Quote + "Conditions & Sorting" + Quote + " WINDOW.",
                    "Click on the most left arrow so it comes down and specify size.", "",
                    "Go to the " + Quote + "Path Selection" + Quote + " WINDOW.",
                    "Select Drive and folder (subdirectory); ", "Click the Add-key;", "Click the Start-key.",
                    "", "This operation can take some time!"})},
    };
    return tips;
}

QString tipDatabasePath(const QString& workDirectory) {
    return QDir(workDirectory).filePath(TipDatabaseFileName);
}

void createTipDatabase(const QString& path) {
    const QString building = path + QStringLiteral(".new");
    // A leftover of an interrupted creation is never the database; start again.
    if (QFileInfo::exists(building) && !QFile::remove(building))
        throw db::EngineError(db::ErrCannotOpen, "Couldn't remove '" + building + "'.");
    try {
        std::unique_ptr<db::Database> database = db::Database::create(building);
        db::TableDef def;
        def.name = TableName;
        def.fields = {{IndexField, db::FieldType::Single}, {MemoField, db::FieldType::Memo}};
        def.indexes = {{IndexName, IndexField, true, false}};
        database->createTable(def);
        {
            db::Transaction transaction(*database);
            std::unique_ptr<db::Recordset> table = database->openTable(TableName);
            for (const TipRecord& tip : initialTips()) {
                table->addNew();
                table->setValue(IndexField, static_cast<double>(tip.index));
                table->setValue(MemoField, tip.memo);
                table->update();
            }
            table->close();
            transaction.commit();
        }
        database->close();
    } catch (...) {
        QFile::remove(building);
        throw;
    }
    // rename(2) replaces nothing here: the final name was missing when the caller looked.
    if (std::rename(QFile::encodeName(building).constData(), QFile::encodeName(path).constData()) != 0) {
        const int number = errno;
        QFile::remove(building);
        throw db::EngineError(number, QString::fromLocal8Bit(std::strerror(number)) + " ('" + path + "')");
    }
}

void ensureTipDatabase(const QString& workDirectory) {
    const QString path = tipDatabasePath(workDirectory);
    if (!QFileInfo::exists(path))
        createTipDatabase(path);
}

double clockSeededRandom() {
    static std::mt19937_64 generator(static_cast<std::uint64_t>(QDateTime::currentMSecsSinceEpoch()));
    return std::uniform_real_distribution<double>(0.0, 1.0)(generator);
}

std::optional<QString> openTipOfTheDay(TipOfTheDay& tip, const TipRandom& random,
                                       platform::HostError* settingsError) {
    ensureTipDatabase(tip.workDirectory);
    {
        std::unique_ptr<db::Database> database = db::Database::open(tipDatabasePath(tip.workDirectory), true);
        std::unique_ptr<db::Recordset> tips =
            database->openSql("SELECT tipofdayindex,tipofdaymemo from tipofday where tipofdayindex > 0");
        tip.tipCount = 0;
        if (!tips->eof()) {
            tips->moveLast();
            tip.tipCount = static_cast<int>(tips->recordCount());
        }
        tips->close();
        database->close();
    }
    if (tip.tipCount == 0)
        return std::nullopt;

    int wanted = -1;
    const QString tipNew =
        platform::getPrivateProfileString(TipSection, QStringLiteral("TipNew"), QString(), tip.iniFileName)
            .toUpper();
    if (!tipNew.trimmed().isEmpty()) {
        const double r = std::clamp(random ? random() : clockSeededRandom(), 0.0, 1.0);
        wanted = std::min(static_cast<int>(r * tip.tipCount) + 1, tip.tipCount);
    } else {
        platform::writePrivateProfileString(TipSection, QStringLiteral("TipNew"), QStringLiteral("0"),
                                            tip.iniFileName, settingsError);
    }
    return seekTip(tip, wanted);
}

std::optional<QString> nextTip(TipOfTheDay& tip) {
    tip.currentTip += 1;
    if (tip.currentTip > tip.tipCount)
        tip.currentTip = 1;
    return seekTip(tip, tip.currentTip);
}

bool closeTipOfTheDay(const QString& iniFileName, bool showNextTime, platform::HostError* error) {
    return platform::writePrivateProfileString(TipSection, QStringLiteral("Tipstart"),
                                               showNextTime ? QStringLiteral(" ") : QStringLiteral("No"),
                                               iniFileName, error);
}

} // namespace zek
