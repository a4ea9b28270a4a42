// Condition lines and sorters as one line of text, for the command line: what a row of the
// Conditions & Sorting grid shows, written out, and read back.
//
//     [(...] FIELD EVALUATION VALUE [UNIT] [)...] [CONNECTION]
//
//     ( NAME = A* OR          SIZE >= 1.5 MB )        DATE < 2020-01-31       HIDDEN NOT = SET AND NOT
//
// Words are separated by spaces; a value that holds spaces is written in double quotes (a double
// quote inside doubled). Field names, evaluations, units and connections may be in any case. A
// value passes the grid's own key filter and value check, so a line is refused with the message the
// grid would show; the line is then encoded as the grid stores a row. Dates are read in ISO form
// (2020-01-31) or in the short-date form of the settings; times as 24-hour HH:MM, or on a 12-hour
// clock followed by the AM or PM designator. A line without a field holds only left brackets.
#pragma once

#include "platform/intl.h"
#include "work/query_line.h"

#include <QString>

namespace zek {

struct ConditionTextParse {
    QueryLine line; // in the stored form: as saving the work file and loading it again gives it
    QString error;  // why the text was refused; empty when it was not
};

ConditionTextParse parseConditionText(const QString& text, const platform::IntlSettings& intl);

// A stored line as text that parseConditionText reads back into the same stored line (dates in ISO
// form, times as 24-hour HH:MM, sizes as the grid shows them). "" for a line with nothing in it.
QString conditionText(const QueryLine& line, const platform::IntlSettings& intl);

struct SorterTextParse {
    Sorter sorter;
    QString error;
};

// "FIELD+" ascending, "FIELD-" descending, a bare "FIELD" ascending.
SorterTextParse parseSorterText(const QString& text);
// "FIELD+" or "FIELD-"; "" for a sorter that is not set.
QString sorterText(const Sorter& sorter);

} // namespace zek
