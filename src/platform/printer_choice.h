// The printer the program prints on: a printer of the print system, or the built-in PDF writer.
//
// The program keeps one current printer for its run. The reports are paged for its paper, Print
// Setup and the print dialog change it, and printing refuses to go on when it is no longer the
// printer the reports were made for.
#pragma once

#include <QPageSize>
#include <QSizeF>
#include <QString>

namespace zek::platform {

// The name of the built-in PDF writer, the printer of a system without one.
inline const QString BuiltInPdfPrinter = QStringLiteral("PDF");

inline constexpr int PortraitOrientation = 1;
inline constexpr int LandscapeOrientation = 2;

struct PrinterChoice {
    QString name;                          // empty: no printer
    int orientation = PortraitOrientation; // anything but 2 counts as portrait
    QPageSize paper{QPageSize::A4};

    bool isBuiltInPdf() const { return name == BuiltInPdfPrinter; }
    bool isLandscape() const { return orientation == LandscapeOrientation; }
};

// The edge a usual printer cannot print on. The page layout is placed from the printable area's
// corner and allows for it; the built-in PDF writer leaves the same edge.
inline constexpr double PrinterMarginMillimetres = 6.35;

// The whole paper in twips, turned for landscape: from its size in millimetres, so that A4 is
// 11906 x 16838 and Letter 12240 x 15840.
QSizeF paperSizeTwips(const PrinterChoice& printer);

// The paper the system's measurement system suggests: A4 where it is metric, else Letter.
QPageSize localePaper();

} // namespace zek::platform
