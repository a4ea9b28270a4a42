#include "report/page_output.h"

#include <QPagedPaintDevice>

namespace zek::report {

PagedDeviceOutput::PagedDeviceOutput(std::unique_ptr<QPagedPaintDevice> device, QSizeF paperTwips,
                                     QString startError)
    : m_owned(std::move(device)), m_target(m_owned.get()), m_paper(paperTwips),
      m_startError(std::move(startError)) {}

PagedDeviceOutput::PagedDeviceOutput(QPagedPaintDevice& device, QSizeF paperTwips, QString startError)
    : m_target(&device), m_paper(paperTwips), m_startError(std::move(startError)) {}

PagedDeviceOutput::~PagedDeviceOutput() {
    m_canvas.reset();
    if (m_painter.isActive())
        m_painter.end();
}

PageCanvas* PagedDeviceOutput::nextPage() {
    if (!m_error.isEmpty())
        return nullptr;
    if (m_pages == 0) {
        if (!m_painter.begin(m_target)) {
            m_error = m_startError;
            return nullptr;
        }
        m_canvas = std::make_unique<PainterCanvas>(m_painter);
    } else if (!m_target->newPage()) {
        m_error = m_startError;
        return nullptr;
    }
    ++m_pages;
    return m_canvas.get();
}

bool PagedDeviceOutput::finish() {
    m_canvas.reset();
    if (m_painter.isActive() && !m_painter.end() && m_error.isEmpty())
        m_error = m_startError;
    return m_error.isEmpty();
}

} // namespace zek::report
