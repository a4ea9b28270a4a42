#include "app/names.h"

namespace zek {

const QStringList& fieldNames() {
    static const QStringList names{"",
                                   "LONGPATH",
                                   "PATH",
                                   "LONGNAME",
                                   "NAME",
                                   "EXTENSION",
                                   "SIZE",
                                   "DATE",
                                   "TIME",
                                   "CREATIONDATE",
                                   "CREATIONTIME",
                                   "ACCESSDATE",
                                   "ACCESSTIME",
                                   "ARCHIVE",
                                   "READONLY",
                                   "HIDDEN",
                                   "SYSTEM",
                                   "DIRECTORY",
                                   "COMPRESSED",
                                   "TEMPORARY",
                                   "FILENUMBER",
                                   "%TOTAL DISKSPACE",
                                   "%FREE DISKSPACE",
                                   "%OCCUPIED DISKSPACE"};
    return names;
}

const QStringList& summaryNames() {
    static const QStringList names{"",         "PATH",         "PATHLEVEL",  "PATHSUBAANT",
                                   "SEL",      "SELSIZE",      "UNSEL",      "UNSELSIZE",
                                   "CUMULSEL", "CUMULSELSIZE", "CUMULUNSEL", "CUMULUNSELSIZE"};
    return names;
}

const QStringList& connectionWords() {
    static const QStringList words{"AND", "OR", "AND NOT", "OR NOT"};
    return words;
}

} // namespace zek
