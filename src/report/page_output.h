// Where printed pages go: a printer of the print system, a PDF file, a preview, or a test's record.
#pragma once

#include "report/page_canvas.h"

#include <QPainter>
#include <QSizeF>
#include <QString>

#include <memory>

class QPagedPaintDevice;

namespace zek::report {

// One print job: its pages are drawn one after the other.
class PageOutput {
public:
    virtual ~PageOutput() = default;
    // The whole paper in twips.
    virtual QSizeF paperTwips() const = 0;
    // The canvas of the next page; from the second page on a new sheet is started first. Nothing
    // when the output has failed (see error()).
    virtual PageCanvas* nextPage() = 0;
    // Ends the job; false when the output failed.
    virtual bool finish() = 0;
    // Why the output failed, as the user is told.
    virtual QString error() const = 0;
};

// A job on a paged paint device (a printer, a PDF writer) that paints from the corner of its
// printable area.
class PagedDeviceOutput : public PageOutput {
public:
    // `startError` is the message when painting on the device cannot start.
    PagedDeviceOutput(std::unique_ptr<QPagedPaintDevice> device, QSizeF paperTwips, QString startError);
    // On a device owned elsewhere (a preview's printer).
    PagedDeviceOutput(QPagedPaintDevice& device, QSizeF paperTwips, QString startError);
    ~PagedDeviceOutput() override;

    QSizeF paperTwips() const override { return m_paper; }
    PageCanvas* nextPage() override;
    bool finish() override;
    QString error() const override { return m_error; }

protected:
    QPagedPaintDevice& device() { return *m_target; }
    void setError(const QString& text) { m_error = text; }

private:
    std::unique_ptr<QPagedPaintDevice> m_owned;
    QPagedPaintDevice* m_target = nullptr;
    QSizeF m_paper;
    QString m_startError;
    QString m_error;
    QPainter m_painter;
    std::unique_ptr<PageCanvas> m_canvas;
    int m_pages = 0;
};

} // namespace zek::report
