// The column lists of the two reports and their titles.
#pragma once

#include <QString>

#include <array>
#include <vector>

namespace zek {

struct ReportColumn {
    QString name;
    QString description; // column heading
    int width = 990;     // twips
    QString extra;       // size unit: "KB", "MB" or blank
    QString format;      // display format; derived from the name, never stored in the work file

    // The format is not part of the stored column, so it takes no part in comparisons.
    bool operator==(const ReportColumn& o) const {
        return name == o.name && description == o.description && width == o.width && extra == o.extra;
    }
};

using ReportColumns = std::vector<ReportColumn>;

struct ReportTitles {
    QString firstTitle;
    QString secondTitle;
    QString firstFootnote;
    QString secondFootnote;
    bool operator==(const ReportTitles&) const = default;
};

inline const QString TextFormat = QStringLiteral("@");
inline const QString NumberFormat = QStringLiteral("#,##0");
inline const QString PercentFormat = QStringLiteral("#,##0.00\\%");

ReportColumns defaultDetailColumns();
ReportColumns defaultSummaryColumns();
// The display format a column of this name takes in the Detail (detail = true) or Summary report.
QString columnFormat(bool detail, const QString& name);

} // namespace zek
