#include "platform/PrinterPainter.h"

#include "platform/CupsQueues.h"
#include "platform/PdfFileQuestion.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPrinter>
#include <QTemporaryFile>
#include <cups/cups.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace prn {

namespace {

constexpr double kPi = 3.14159265358979323846;
// The pages are PDF for the file and for the queues alike, so the device pixel is ours to choose.
// 576 dots per inch is 8 to the point: every font size in quarter points (9.75, 14.25) is a whole
// number of pixels, which the font engine needs to print it at exactly that size, and a draw width
// of 1 is as thin as on an office laser printer of 600 dots per inch.
constexpr double kPdfDpi = 576;

QString documentTitle()
{
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("Brevotane") : name;
}

} // namespace

PainterPrinter::~PainterPrinter()
{
    if (m_painter.isActive())
        m_painter.end();
}

double PainterPrinter::toPxX(double u) const
{
    return u / unitsPerInch() * resolution().x();
}

double PainterPrinter::toPxY(double u) const
{
    return u / unitsPerInch() * resolution().y();
}

QPageLayout PainterPrinter::layoutFor(int paper, int orientation, const QMarginsF& marginsPt)
{
    return QPageLayout(QPageSize(QPageSize::id(paper)),
                       orientation == kLandscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       marginsPt, QPageLayout::Point);
}

void PainterPrinter::drawText(double x, double y, const QString& text)
{
    const QFont font = currentFont();
    m_painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    m_painter.setFont(font);
    m_painter.setPen(QColor(Qt::black));
    const QFontMetricsF fm(font, m_painter.device());
    m_painter.drawText(QPointF(toPxX(x), toPxY(y) + fm.ascent()), text);
}

void PainterPrinter::applyPen(QRgb colour)
{
    // Colours come as the engines write them, often without an alpha part.
    QPen pen(QColor(qRed(colour), qGreen(colour), qBlue(colour)));
    pen.setWidthF(drawWidth());
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    if (drawStyle() == kStyleDot) {
        // Dots and gaps of 1/96 inch, as a dotted rule looks on screen, whatever the resolution.
        const double dot = std::max(1.0, std::round(resolution().x() / 96.0));
        pen.setDashPattern({dot / drawWidth(), dot / drawWidth()});
    }
    m_painter.setPen(pen);
    m_painter.setBrush(Qt::NoBrush);
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    const bool rasterOps = m_painter.paintEngine() &&
                           m_painter.paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
    m_painter.setCompositionMode(drawMode() == kModeNotXorPen && rasterOps
                                     ? QPainter::RasterOp_NotSourceXorDestination
                                     : QPainter::CompositionMode_SourceOver);
}

void PainterPrinter::drawLine(double x1, double y1, double x2, double y2, QRgb colour)
{
    applyPen(colour);
    m_painter.drawLine(QPointF(toPxX(x1), toPxY(y1)), QPointF(toPxX(x2), toPxY(y2)));
}

void PainterPrinter::drawArc(double x, double y, double radius, QRgb colour, double start, double /*end*/,
                             double span)
{
    applyPen(colour);
    const double rx = toPxX(radius);
    const double ry = toPxY(radius);
    const QRectF rect(toPxX(x) - rx, toPxY(y) - ry, 2 * rx, 2 * ry);
    // QPainterPath angles are degrees, counter-clockwise from three o'clock as the page is seen.
    const double startDeg = start * 180.0 / kPi;
    const double spanDeg = span * 180.0 / kPi;
    QPainterPath path;
    path.arcMoveTo(rect, startDeg);
    path.arcTo(rect, startDeg, spanDeg);
    m_painter.drawPath(path);
}

double PainterPrinter::measurePx(const QString& text) const
{
    return QFontMetricsF(currentFont(), metricsDevice()).horizontalAdvance(text);
}

double PainterPrinter::lineHeightPx() const
{
    return QFontMetricsF(currentFont(), metricsDevice()).lineSpacing();
}

// ---------------------------------------------------------------------------------------------

PdfFilePrinter::PdfFilePrinter(const QString& deviceName, const QString& fileName)
    : m_name(deviceName), m_fixedName(fileName), m_pdf(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    m_pdf->setOutputFormat(QPrinter::PdfFormat);
    m_pdf->setResolution(static_cast<int>(kPdfDpi));
    m_pdf->setFullPage(false);
    m_pdf->setCreator(documentTitle());
    m_pdf->setDocName(documentTitle());
    m_pdf->setFontEmbeddingEnabled(true);
}

PdfFilePrinter::~PdfFilePrinter()
{
    if (m_painter.isActive()) {
        m_painter.end();
        removeTemp();
    }
}

QPointF PdfFilePrinter::resolution() const
{
    const double dpi = m_pdf->resolution();
    return {dpi, dpi};
}

QSize PdfFilePrinter::physicalSizePx() const
{
    return layoutFor(paperSize(), orientation(), {}).fullRectPixels(static_cast<int>(kPdfDpi)).size();
}

const QPaintDevice* PdfFilePrinter::metricsDevice() const
{
    return m_pdf.get();
}

bool PdfFilePrinter::offersPaper(int code) const
{
    return QPageSize::id(code) != QPageSize::Custom;
}

std::optional<QString> PdfFilePrinter::takeFileName()
{
    if (!m_fixedName.isEmpty())
        return m_fixedName;
    if (!m_handedName.isEmpty())
        return std::exchange(m_handedName, QString());
    // Drawn on without a print dialog that asked first.
    return askPdfFileName();
}

bool PdfFilePrinter::beginJob()
{
    const std::optional<QString> target = takeFileName();
    if (!target) {
        userCancelled();
        return false;
    }
    return startPdf(*target, layoutFor(paperSize(), orientation(), {}), kPdfDpi);
}

bool PdfFilePrinter::startPdf(const QString& target, const QPageLayout& layout, double dpi)
{
    m_target = QFileInfo(target).absoluteFilePath();
    const QFileInfo info(m_target);
    // The file is written under a temporary name beside the target (same file system, so the
    // finished file replaces the target in one rename).
    QTemporaryFile temp(info.absolutePath() + QStringLiteral("/.") + info.completeBaseName() +
                        QStringLiteral(".XXXXXX.pdf"));
    temp.setAutoRemove(false);
    if (!temp.open()) {
        setLastError(QStringLiteral("%1 に書き込めません。").arg(m_target), JobFailure::CannotWrite, m_target);
        return false;
    }
    m_temp = temp.fileName();
    temp.close();

    m_pdf->setResolution(static_cast<int>(dpi));
    m_pdf->setPageLayout(layout);
    m_pdf->setFullPage(false);
    m_pdf->setOutputFileName(m_temp);
    if (!m_painter.begin(m_pdf.get())) {
        setLastError(QStringLiteral("%1 に書き込めません。").arg(m_target), JobFailure::CannotWrite, m_target);
        removeTemp();
        return false;
    }
    return true;
}

bool PdfFilePrinter::beginPage()
{
    return m_pdf->newPage();
}

bool PdfFilePrinter::closePdf()
{
    if (m_painter.isActive())
        m_painter.end();
    if (m_pdf->printerState() == QPrinter::Error)
        return false;
    // A file cut short (a full disk) lacks the trailer; it is not handed on.
    QFile f(m_temp);
    if (!f.open(QIODevice::ReadOnly) || f.size() < 32)
        return false;
    f.seek(std::max<qint64>(0, f.size() - 64));
    return f.readAll().contains("%%EOF");
}

bool PdfFilePrinter::finishJob()
{
    if (!closePdf()) {
        setLastError(QStringLiteral("%1 を書き終えられませんでした。").arg(m_target), JobFailure::CannotWrite, m_target);
        return false;
    }
    if (std::rename(QFile::encodeName(m_temp).constData(), QFile::encodeName(m_target).constData()) != 0) {
        setLastError(QStringLiteral("%1 に書き込めません。").arg(m_target), JobFailure::CannotWrite, m_target);
        return false;
    }
    QFile(m_target).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    m_temp.clear();
    return true;
}

void PdfFilePrinter::abandonJob()
{
    if (m_painter.isActive())
        m_painter.end();
    removeTemp();
}

void PdfFilePrinter::removeTemp()
{
    if (!m_temp.isEmpty())
        QFile::remove(m_temp);
    m_temp.clear();
}

// ---------------------------------------------------------------------------------------------

QueuePrinter::QueuePrinter(const QPrinterInfo& info)
    : PdfFilePrinter(info.printerName()), m_info(info)
{
    const int code = m_info.defaultPageSize().windowsId();
    if (code <= 0 || !setPaperSize(code))
        setPaperSize(kPaperA4);
}

QueuePrinter::~QueuePrinter() = default;

QPrinter& QueuePrinter::device() const
{
    if (!m_device)
        m_device = std::make_unique<QPrinter>(m_info, QPrinter::HighResolution);
    return *m_device;
}

QPageLayout QueuePrinter::queueLayout() const
{
    QPrinter& d = device();
    d.setPageSize(QPageSize(QPageSize::id(paperSize())));
    d.setPageOrientation(orientation() == kLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    d.setFullPage(false);
    // The queue's own unprintable border for this paper.
    QPageLayout layout = d.pageLayout();
    layout.setMargins(layout.minimumMargins());
    return layout;
}

QPoint QueuePrinter::physicalOffsetPx() const
{
    return queueLayout().paintRectPixels(static_cast<int>(kPdfDpi)).topLeft();
}

QSize QueuePrinter::physicalSizePx() const
{
    return queueLayout().fullRectPixels(static_cast<int>(kPdfDpi)).size();
}

bool QueuePrinter::offersPaper(int code) const
{
    const QPageSize::PageSizeId id = QPageSize::id(code);
    if (id == QPageSize::Custom)
        return false;
    const QList<QPageSize> sizes = m_info.supportedPageSizes();
    if (sizes.isEmpty())
        return true;
    return std::any_of(sizes.begin(), sizes.end(), [id](const QPageSize& s) { return s.id() == id; });
}

bool QueuePrinter::beginJob()
{
    m_jobId = 0;
    // A queue that has gone or refuses jobs is told before a page is drawn for it.
    if (!queueTakesJobs())
        return false;
    const QString temp = QDir::tempPath() + QStringLiteral("/brevotane-print.pdf");
    if (startPdf(temp, queueLayout(), kPdfDpi))
        return true;
    // The document's own scratch file, not one the user named.
    setLastError(QStringLiteral("印刷データを作れませんでした。"), JobFailure::Device);
    return false;
}

bool QueuePrinter::queueTakesJobs()
{
    switch (cups::queueState(deviceName())) {
    case cups::QueueState::Missing:
        setLastError(QStringLiteral("the spooler has no queue %1").arg(deviceName()), JobFailure::NoPrinter);
        return false;
    case cups::QueueState::NotAccepting:
        setLastError(QStringLiteral("the queue %1 is not accepting jobs").arg(deviceName()), JobFailure::NotAccepting);
        return false;
    case cups::QueueState::Accepting:
        break;
    }
    return true;
}

bool QueuePrinter::finishJob()
{
    if (!closePdf()) {
        setLastError(QStringLiteral("印刷データを作れませんでした。"), JobFailure::Device);
        return false;
    }
    // The queue's own name for the paper, so that it feeds the sheet the document was laid out on.
    QString media = QPageSize(QPageSize::id(paperSize())).key();
    for (const QPageSize& s : m_info.supportedPageSizes()) {
        if (s.id() == QPageSize::id(paperSize())) {
            media = s.key();
            break;
        }
    }
    cups_option_t* options = nullptr;
    int count = cupsAddOption("media", media.toUtf8().constData(), 0, &options);
    const int job = cupsPrintFile(m_info.printerName().toUtf8().constData(), QFile::encodeName(tempPath()).constData(),
                                  documentTitle().toUtf8().constData(), count, options);
    cupsFreeOptions(count, options);
    removeTemp();
    if (job <= 0) {
        const QString why = QString::fromUtf8(cupsLastErrorString());
        // The queue may have gone or stopped taking jobs while the document was drawn.
        if (queueTakesJobs())
            setLastError(why, JobFailure::Device);
        else
            setLastError(why + QStringLiteral(" (") + lastError() + QLatin1Char(')'), lastFailure());
        return false;
    }
    m_jobId = job;
    return true;
}

// ---------------------------------------------------------------------------------------------

ImagePrinter::ImagePrinter(double dpi, const QPoint& offsetPx, const QString& name)
    : m_name(name), m_dpi(dpi), m_offset(offsetPx), m_probe(1, 1, QImage::Format_RGB32)
{
    const int dpm = static_cast<int>(std::lround(dpi / 0.0254));
    m_probe.setDotsPerMeterX(dpm);
    m_probe.setDotsPerMeterY(dpm);
}

ImagePrinter::~ImagePrinter() = default;

QSize ImagePrinter::physicalSizePx() const
{
    return layoutFor(paperSize(), orientation(), {}).fullRectPixels(static_cast<int>(m_dpi)).size();
}

void ImagePrinter::startImage()
{
    if (m_painter.isActive())
        m_painter.end();
    QImage page(physicalSizePx(), QImage::Format_RGB32);
    page.setDotsPerMeterX(m_probe.dotsPerMeterX());
    page.setDotsPerMeterY(m_probe.dotsPerMeterY());
    page.fill(Qt::white);
    m_pages.append(page);
    m_painter.begin(&m_pages.last());
    m_painter.translate(m_offset);
}

bool ImagePrinter::beginJob()
{
    m_pages.clear();
    startImage();
    return true;
}

bool ImagePrinter::beginPage()
{
    startImage();
    return true;
}

bool ImagePrinter::finishJob()
{
    if (m_painter.isActive())
        m_painter.end();
    return true;
}

void ImagePrinter::abandonJob()
{
    if (m_painter.isActive())
        m_painter.end();
    m_pages.clear();
}

} // namespace prn
