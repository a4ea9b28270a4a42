// The surface a printed report page is drawn on, in twips from the corner of the printable area.
//
// The page layout places every text by the top-left corner of its box and measures texts in the
// current font, so the same layout code draws on a printer, a PDF file or an image, and a test can
// record what it draws.
#pragma once

#include <QFont>
#include <QString>

class QPainter;

namespace zek::report {

struct CanvasFont {
    double pointSize = 9;
    bool bold = false;
    QString family; // empty: the device's default font
};

class PageCanvas {
public:
    virtual ~PageCanvas() = default;
    virtual void setFont(const CanvasFont& font) = 0;
    virtual double textWidth(const QString& text) const = 0; // twips, current font
    virtual double textHeight() const = 0;                   // twips, line height of the current font
    virtual void drawText(double x, double top, const QString& text) = 0; // text box's top-left at (x, top)
    virtual void drawLine(double x1, double y1, double x2, double y2, int lineWidth) = 0;
    virtual void drawBox(double x1, double y1, double x2, double y2, int lineWidth, bool filled) = 0;
};

// Twips in one printer dot of 1/600 inch, the unit of a line width.
constexpr double TwipsPerPrinterDot = 1440.0 / 600.0;

// A canvas over a QPainter whose device may be a printer, a PDF writer, a preview or an image. It
// maps twips to device units from the device's logical DPI (1440 twips an inch), origin where the
// device paints from: on a printer, the corner of its printable area. Fonts get their size in
// twips (1 pt = 20 twips) so that text keeps its size relative to the page on any device. A line
// width counts printer dots, never thinner than the device's finest line. The painter's state is
// restored when the canvas goes.
class PainterCanvas : public PageCanvas {
public:
    explicit PainterCanvas(QPainter& painter);
    ~PainterCanvas() override;
    PainterCanvas(const PainterCanvas&) = delete;
    PainterCanvas& operator=(const PainterCanvas&) = delete;

    void setFont(const CanvasFont& font) override;
    double textWidth(const QString& text) const override;
    double textHeight() const override;
    void drawText(double x, double top, const QString& text) override;
    void drawLine(double x1, double y1, double x2, double y2, int lineWidth) override;
    void drawBox(double x1, double y1, double x2, double y2, int lineWidth, bool filled) override;

private:
    void usePen(int lineWidth);

    QPainter& m_painter;
    QFont m_font;
};

} // namespace zek::report
