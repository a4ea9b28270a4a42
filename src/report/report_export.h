// The files a report can be written to, told apart by their extension: CSV (raw values for a
// spreadsheet), text (the cells as the viewer shows them) and PDF (the printed pages).
#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace zek::report {

enum class ExportFormat { Csv, Text, Pdf };

// ".csv", ".txt" or ".pdf" in any case; nothing for any other name.
std::optional<ExportFormat> exportFormatOf(const QString& fileName);

// Why a file of another extension is refused.
QString refusedExportText(const QString& fileName);

// Told as the pages of a report are written: the page, and how many there are.
using PageProgress = std::function<void(int page, int pages)>;

} // namespace zek::report
