#include "app/batch_conditions.h"

#include "query/condition_text.h"
#include "query/row_model.h"

namespace zek::batch {

ConditionOptions readConditionOptions(const BatchOptions& options, const platform::IntlSettings& intl) {
    ConditionOptions given;
    if (!options.conditions.isEmpty()) {
        QueryLines lines;
        for (const QString& text : options.conditions) {
            const ConditionTextParse parsed = parseConditionText(text, intl);
            if (!parsed.error.isEmpty()) {
                given.error = QStringLiteral("condition \"%1\": %2").arg(text, parsed.error);
                return given;
            }
            lines.append(parsed.line);
        }
        ensureInitialLines(lines);
        given.lines = lines;
    }
    if (!options.sorts.isEmpty()) {
        Sorters sorters{};
        for (qsizetype i = 0; i < options.sorts.size() && i < qsizetype(sorters.size()); ++i) {
            const SorterTextParse parsed = parseSorterText(options.sorts[i]);
            if (!parsed.error.isEmpty()) {
                given.error = parsed.error;
                return given;
            }
            sorters[static_cast<size_t>(i)] = parsed.sorter;
        }
        given.sorters = sorters;
    }
    return given;
}

namespace {

QueryLines storedLines(const QueryLines& lines) {
    QueryLines stored = lines;
    for (QueryLine& l : stored.lines)
        l = storedForm(l);
    return stored;
}

} // namespace

ConditionChange applyConditionOptions(work::WorkState& ws, const ConditionOptions& given) {
    ConditionChange change;
    change.linesBefore = ws.snapshot.queryLines;
    change.sortersBefore = ws.snapshot.sorters;
    if (given.lines && !(storedLines(*given.lines) == storedLines(ws.settings.queryLines))) {
        ws.settings.queryLines = *given.lines;
        change.lines = true;
    }
    if (given.sorters && !(*given.sorters == ws.settings.sorters)) {
        ws.settings.sorters = *given.sorters;
        change.sorters = true;
    }
    keepCountedAsChanged(ws, change);
    return change;
}

void keepCountedAsChanged(work::WorkState& ws, const ConditionChange& change) {
    if (change.lines) {
        ws.snapshot.queryLines = change.linesBefore;
        ws.unchanged(work::SettingsGroup::QueryLines) = false;
    }
    if (change.sorters) {
        ws.snapshot.sorters = change.sortersBefore;
        ws.unchanged(work::SettingsGroup::Sorters) = false;
    }
}

void showConditions(const work::WorkState& ws, QTextStream& out, const platform::IntlSettings& intl) {
    const QueryLines& lines = ws.settings.queryLines;
    for (int n = 1; n <= lines.count(); ++n) {
        const QString text = conditionText(lines.line(n), intl);
        if (!text.isEmpty())
            out << text << '\n';
    }
    out.flush();
}

} // namespace zek::batch
