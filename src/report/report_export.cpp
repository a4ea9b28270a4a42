#include "report/report_export.h"

#include <QFileInfo>

namespace zek::report {

std::optional<ExportFormat> exportFormatOf(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("csv"))
        return ExportFormat::Csv;
    if (suffix == QLatin1String("txt"))
        return ExportFormat::Text;
    if (suffix == QLatin1String("pdf"))
        return ExportFormat::Pdf;
    return std::nullopt;
}

QString refusedExportText(const QString& fileName) {
    return QStringLiteral("cannot write a report to %1: the file name must end in .csv, .txt or .pdf")
        .arg(fileName);
}

} // namespace zek::report
