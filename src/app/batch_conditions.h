// zek-batch's condition lines and sorters: --condition and --sort read and put into the work file as
// the Conditions & Sorting window stores them, and --show-conditions.
#pragma once

#include "app/batch_options.h"
#include "platform/intl.h"
#include "work/work_state.h"

#include <QTextStream>

#include <optional>

namespace zek::batch {

// What the command line gives; nothing where it leaves the stored lines or sorters as they are.
struct ConditionOptions {
    std::optional<QueryLines> lines; // at least the grid's five lines
    std::optional<Sorters> sorters;
    QString error; // the first refused line or sort field, quoted, and why
};

ConditionOptions readConditionOptions(const BatchOptions& options, const platform::IntlSettings& intl);

// What applying them changed, and the settings the reports were last built from.
struct ConditionChange {
    bool lines = false;
    bool sorters = false;
    QueryLines linesBefore;
    Sorters sortersBefore;
};

// Puts the lines and sorters into the work file's settings. One that differs from what is stored
// counts as changed in the unchanged flags, so the reports are built from it.
ConditionChange applyConditionOptions(work::WorkState& ws, const ConditionOptions& given);

// A save takes the present settings as the basis of the reports in the file; the reports built
// after it must still see the change.
void keepCountedAsChanged(work::WorkState& ws, const ConditionChange& change);

// --show-conditions: each line with anything in it, one a line, as --condition reads it.
void showConditions(const work::WorkState& ws, QTextStream& out, const platform::IntlSettings& intl);

} // namespace zek::batch
