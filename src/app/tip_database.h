// The Tip of the Day: the small tip database in the work directory and the steps of the window that
// shows its tips, without the window.
//
// Database failures throw db::EngineError (number and description); a failed write of the settings
// file is reported through the HostError arguments.
#pragma once

#include "platform/host_paths.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace zek {

inline const QString TipDatabaseFileName = QStringLiteral("zek295i.mdb");
inline const QString TipSection = QStringLiteral("Tip");

struct TipRecord {
    int index = 0; // -1: the first-run tip; 1, 2, ...: the rotating tips
    QString memo;  // lines joined by CR LF, each line ending with CR LF
};

// The tips written when the database is created, in their order.
const std::vector<TipRecord>& initialTips();

// The work directory's "zek295i.mdb".
QString tipDatabasePath(const QString& workDirectory);

// Creates the tip database with its table, primary index and tips. The file appears complete or not
// at all: it is built under a temporary name and renamed, so an interrupted creation is repeated at
// the next opening instead of leaving a database without its table.
void createTipDatabase(const QString& path);
// Creates the tip database when its file is missing; an existing file is used as it is.
void ensureTipDatabase(const QString& workDirectory);

// A number in [0, 1), as Rnd gives one.
using TipRandom = std::function<double()>;
// The program's source: a generator seeded from the clock.
double clockSeededRandom();

// The window's state: what it shows and where it is in the tips.
struct TipOfTheDay {
    QString workDirectory;
    QString iniFileName;
    int tipCount = 0;   // TipCount: tips with a positive index
    int currentTip = 0; // CurrentTip: index of the tip shown
    QString memo;       // the text shown, as stored
};

// The opening steps: creates the database when missing, counts the tips, chooses the first-run tip
// (when "TipNew" is blank, writing "TipNew" = "0") or a random one, and reads it. The memo shown, or
// nothing when there is no tip to show. `settingsError` receives a failed "TipNew" write.
std::optional<QString> openTipOfTheDay(TipOfTheDay& tip, const TipRandom& random = {},
                                       platform::HostError* settingsError = nullptr);

// Next Tip: the tip after the current one, wrapping to tip 1 after the last. The memo shown, or
// nothing when no tip follows (the current tip is then the one it looked for).
std::optional<QString> nextTip(TipOfTheDay& tip);

// Close: "Tipstart" becomes " " when the welcome screen is to be shown next time, "No" when not.
bool closeTipOfTheDay(const QString& iniFileName, bool showNextTime, platform::HostError* error = nullptr);

} // namespace zek
