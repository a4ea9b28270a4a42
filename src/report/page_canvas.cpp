#include "report/page_canvas.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>

#include <cmath>

namespace zek::report {

namespace {

constexpr double TwipsPerInch = 1440.0;
constexpr double TwipsPerPoint = 20.0;

} // namespace

PainterCanvas::PainterCanvas(QPainter& painter) : m_painter(painter) {
    m_painter.save();
    const QPaintDevice* device = m_painter.device();
    m_painter.scale(device->logicalDpiX() / TwipsPerInch, device->logicalDpiY() / TwipsPerInch);
    setFont(CanvasFont{});
}

PainterCanvas::~PainterCanvas() {
    m_painter.restore();
}

void PainterCanvas::setFont(const CanvasFont& font) {
    QFont f;
    if (!font.family.isEmpty())
        f.setFamily(font.family);
    // A pixel of the scaled painter is a twip. Unhinted glyphs keep a text's measured width the same
    // on every device, so what fits on an image fits on paper.
    f.setPixelSize(static_cast<int>(std::lround(font.pointSize * TwipsPerPoint)));
    f.setBold(font.bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    m_font = f;
    m_painter.setFont(m_font);
}

double PainterCanvas::textWidth(const QString& text) const {
    return QFontMetricsF(m_font, m_painter.device()).horizontalAdvance(text);
}

double PainterCanvas::textHeight() const {
    return QFontMetricsF(m_font, m_painter.device()).lineSpacing();
}

void PainterCanvas::drawText(double x, double top, const QString& text) {
    m_painter.setPen(QPen(Qt::black));
    m_painter.drawText(QPointF(x, top + QFontMetricsF(m_font, m_painter.device()).ascent()), text);
}

void PainterCanvas::drawLine(double x1, double y1, double x2, double y2, int lineWidth) {
    usePen(lineWidth);
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawLine(QPointF(x1, y1), QPointF(x2, y2));
}

void PainterCanvas::drawBox(double x1, double y1, double x2, double y2, int lineWidth, bool filled) {
    usePen(lineWidth);
    m_painter.setBrush(filled ? QBrush(Qt::black) : QBrush(Qt::NoBrush));
    m_painter.drawRect(QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized());
}

void PainterCanvas::usePen(int lineWidth) {
    QPen pen(Qt::black);
    pen.setCapStyle(Qt::SquareCap);
    pen.setJoinStyle(Qt::MiterJoin);
    // Device units per twip under everything the painter applies, the caller's scaling included.
    const double devicePerTwip = std::sqrt(std::abs(m_painter.worldTransform().determinant()));
    const double width = lineWidth * TwipsPerPrinterDot;
    if (width * devicePerTwip < 1.0)
        pen.setWidth(0); // a cosmetic pen: one device pixel, the finest line the device draws
    else
        pen.setWidthF(width);
    m_painter.setPen(pen);
}

} // namespace zek::report
