#pragma once
// Printer objects that draw with QPainter: the PDF file entry, a CUPS queue, and pages in memory.
//
// No world transform is used: engine units are turned into device pixels here, so fonts keep their
// point sizes at the device's own resolution (a millimetre transform would scale them too) and a
// draw width of 1 is one device pixel.
//
// Draw mode 10 (not-XOR pen) needs raster operations. Only the in-memory pages have them; PDF has
// none, and the queues are fed PDF, so there lines and arcs are drawn with the plain pen.
#include "platform/PrinterObject.h"

#include <QImage>
#include <QList>
#include <QPageLayout>
#include <QPainter>
#include <QPrinterInfo>
#include <memory>
#include <optional>

class QPrinter;

namespace prn {

class PainterPrinter : public PrinterObject {
public:
    ~PainterPrinter() override;

protected:
    PainterPrinter() = default;

    // The device text is measured on (the one the pages are drawn on, or one of its resolution).
    virtual const QPaintDevice* metricsDevice() const = 0;

    void drawText(double x, double y, const QString& text) override;
    void drawLine(double x1, double y1, double x2, double y2, QRgb colour) override;
    void drawArc(double x, double y, double radius, QRgb colour, double start, double end,
                 double span) override;
    double measurePx(const QString& text) const override;
    double lineHeightPx() const override;

    // The page layout of a paper code and orientation on a device with the given margins.
    static QPageLayout layoutFor(int paper, int orientation, const QMarginsF& marginsPt);

    QPainter m_painter;

private:
    void applyPen(QRgb colour);
    double toPxX(double u) const;
    double toPxY(double u) const;
};

// Writes the document as a PDF file: a temporary file beside the target while drawing, renamed
// over the target only when the document is complete.
class PdfFilePrinter : public PainterPrinter {
public:
    // Every job goes to fileName. Without one (the PDF entry) the print dialog asks for the file
    // before each job and hands it down with setFileName; a job begun without a name handed down
    // asks for it itself.
    explicit PdfFilePrinter(const QString& deviceName, const QString& fileName = {});
    ~PdfFilePrinter() override;

    // The file of the next job, as the dialog that asked for it hands it down; used by that job
    // only. Empty forgets a name not yet used.
    void setFileName(const QString& fileName) { m_handedName = fileName; }
    // True when each job needs a file name handed down (no fixed file, not a queue).
    virtual bool needsFileName() const { return m_fixedName.isEmpty(); }

    QString deviceName() const override { return m_name; }
    QPointF resolution() const override;
    QPoint physicalOffsetPx() const override { return {0, 0}; }
    QSize physicalSizePx() const override;
    // The file the last job went to (or would have gone to).
    QString fileName() const { return m_target; }

protected:
    const QPaintDevice* metricsDevice() const override;
    bool beginJob() override;
    bool beginPage() override;
    bool finishJob() override;
    void abandonJob() override;
    bool offersPaper(int code) const override;

    // Starts painting into a temporary PDF for the target; false when it cannot be created.
    bool startPdf(const QString& target, const QPageLayout& layout, double dpi);
    bool closePdf();   // ends painting; false when the file is not a complete PDF
    QString tempPath() const { return m_temp; }
    void removeTemp();
    QPrinter& pdf() const { return *m_pdf; }

private:
    std::optional<QString> takeFileName();

    QString m_name;
    QString m_fixedName;
    QString m_handedName;
    QString m_target;
    QString m_temp;
    std::unique_ptr<QPrinter> m_pdf;
};

// A CUPS queue. The document is drawn into a temporary PDF with the queue's page layout and handed
// to the queue only when it is complete, so an abandoned job never reaches the printer.
class QueuePrinter : public PdfFilePrinter {
public:
    explicit QueuePrinter(const QPrinterInfo& info);
    ~QueuePrinter() override;

    QString deviceName() const override { return m_info.printerName(); }
    QPoint physicalOffsetPx() const override;
    QSize physicalSizePx() const override;
    // The spooler's job number of the last job sent; 0 when none.
    int lastJobId() const { return m_jobId; }
    bool needsFileName() const override { return false; }

protected:
    bool beginJob() override;
    bool finishJob() override;
    bool offersPaper(int code) const override;

private:
    QPageLayout queueLayout() const;
    QPrinter& device() const;
    // False, with the reason set, when the spooler has no such queue now or it refuses jobs.
    bool queueTakesJobs();

    QPrinterInfo m_info;
    mutable std::unique_ptr<QPrinter> m_device;
    int m_jobId = 0;
};

// Pages drawn into images: the one device here with raster operations, so draw mode 10 acts as on
// a printer that has them. Used to look at and check what a page engine draws.
class ImagePrinter : public PainterPrinter {
public:
    explicit ImagePrinter(double dpi = 150, const QPoint& offsetPx = {}, const QString& name = QStringLiteral("Image"));
    ~ImagePrinter() override;

    QString deviceName() const override { return m_name; }
    QPointF resolution() const override { return {m_dpi, m_dpi}; }
    QPoint physicalOffsetPx() const override { return m_offset; }
    QSize physicalSizePx() const override;
    // The pages of the last document (whole sheets, white paper).
    const QList<QImage>& pages() const { return m_pages; }

protected:
    const QPaintDevice* metricsDevice() const override { return &m_probe; }
    bool beginJob() override;
    bool beginPage() override;
    bool finishJob() override;
    void abandonJob() override;
    bool offersPaper(int) const override { return true; }

private:
    void startImage();

    QString m_name;
    double m_dpi;
    QPoint m_offset;
    QImage m_probe;
    QList<QImage> m_pages;
};

} // namespace prn
