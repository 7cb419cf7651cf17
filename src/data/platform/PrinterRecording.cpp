#include "platform/PrinterRecording.h"

#include <QFontMetricsF>
#include <QRegularExpression>
#include <QPageLayout>
#include <QPageSize>
#include <cmath>

namespace prn {

namespace {

QString num(double v)
{
    const double r = std::round(v * 100) / 100;
    return QString::number(r == 0 ? 0.0 : r, 'f', 2).remove(QRegularExpression(QStringLiteral("\\.?0+$")));
}

} // namespace

QString Recorded::describe() const
{
    if (op == QLatin1String("text"))
        return QStringLiteral("text %1 %2 %3").arg(num(x), num(y), text);
    if (op == QLatin1String("line"))
        return QStringLiteral("line %1 %2 %3 %4 s%5 w%6 m%7")
            .arg(num(x), num(y), num(x2), num(y2))
            .arg(drawStyle)
            .arg(drawWidth)
            .arg(drawMode);
    if (op == QLatin1String("arc"))
        return QStringLiteral("arc %1 %2 r%3 %4..%5").arg(num(x), num(y), num(radius), num(start), num(end));
    if (op == QLatin1String("fontName"))
        return QStringLiteral("fontName %1").arg(text);
    return QStringLiteral("%1 %2").arg(op, num(value));
}

RecordingPrinter::RecordingPrinter(const QString& name, double dpi, const QPoint& offsetPx, const QSize& sheetPx)
    : m_name(name), m_dpi(dpi), m_offset(offsetPx), m_sheet(sheetPx), m_probe(1, 1, QImage::Format_RGB32)
{
    const int dpm = static_cast<int>(std::lround(dpi / 0.0254));
    m_probe.setDotsPerMeterX(dpm);
    m_probe.setDotsPerMeterY(dpm);
}

QSize RecordingPrinter::physicalSizePx() const
{
    if (m_sheet.isValid())
        return m_sheet;
    return QPageLayout(QPageSize(QPageSize::id(paperSize())),
                       orientation() == kLandscape ? QPageLayout::Landscape : QPageLayout::Portrait, {})
        .fullRectPixels(static_cast<int>(m_dpi))
        .size();
}

Recorded RecordingPrinter::make(const QString& op) const
{
    Recorded r;
    r.op = op;
    r.doc = m_open ? m_doc : 0;
    r.page = m_open ? m_page : 0;
    r.scaleMode = scaleMode();
    r.fontName = fontName();
    r.fontSize = fontSize();
    r.drawStyle = drawStyle();
    r.drawWidth = drawWidth();
    r.drawMode = drawMode();
    return r;
}

bool RecordingPrinter::drawingFails()
{
    ++m_drawn;
    if (m_failAt > 0 && m_drawn >= m_failAt) {
        m_failAt = 0;
        deviceFailed(QStringLiteral("device failure"));
        return true;
    }
    return false;
}

bool RecordingPrinter::beginJob()
{
    ++m_doc;
    m_page = 1;
    m_open = true;
    m_drawn = 0;
    if (m_cancelNext) {
        m_cancelNext = false;
        userCancelled();
        return false;
    }
    return true;
}

bool RecordingPrinter::beginPage()
{
    ++m_page;
    return true;
}

void RecordingPrinter::drawText(double x, double y, const QString& text)
{
    if (drawingFails())
        return;
    Recorded r = make(QStringLiteral("text"));
    r.x = x;
    r.y = y;
    r.text = text;
    r.width = textWidth(text);
    log.append(r);
}

void RecordingPrinter::drawLine(double x1, double y1, double x2, double y2, QRgb colour)
{
    if (drawingFails())
        return;
    Recorded r = make(QStringLiteral("line"));
    r.x = x1;
    r.y = y1;
    r.x2 = x2;
    r.y2 = y2;
    r.colour = colour;
    log.append(r);
}

void RecordingPrinter::drawArc(double x, double y, double radius, QRgb colour, double start, double end, double)
{
    if (drawingFails())
        return;
    Recorded r = make(QStringLiteral("arc"));
    r.x = x;
    r.y = y;
    r.radius = radius;
    r.start = start;
    r.end = end;
    r.colour = colour;
    log.append(r);
}

double RecordingPrinter::measurePx(const QString& text) const
{
    return QFontMetricsF(currentFont(), &m_probe).horizontalAdvance(text);
}

double RecordingPrinter::lineHeightPx() const
{
    return QFontMetricsF(currentFont(), &m_probe).lineSpacing();
}

bool RecordingPrinter::finishJob()
{
    log.append(make(QStringLiteral("endDoc")));
    m_open = false;
    ++m_sent;
    return true;
}

void RecordingPrinter::abandonJob()
{
    log.append(make(QStringLiteral("abort")));
    m_open = false;
}

void RecordingPrinter::stateChanged(const char* what, double value, const QString& text)
{
    Recorded r = make(QString::fromLatin1(what));
    r.value = value;
    r.text = text;
    log.append(r);
}

void RecordingPrinter::pageBreakRequested()
{
    log.append(make(QStringLiteral("newPage")));
}

QList<Recorded> RecordingPrinter::page(int page, int doc) const
{
    const int d = doc < 0 ? m_doc : doc;
    QList<Recorded> out;
    for (const Recorded& r : log) {
        if (r.doc == d && r.page == page &&
            (r.op == QLatin1String("text") || r.op == QLatin1String("line") || r.op == QLatin1String("arc")))
            out.append(r);
    }
    return out;
}

QStringList RecordingPrinter::describePage(int page, int doc) const
{
    QStringList out;
    for (const Recorded& r : this->page(page, doc))
        out << r.describe();
    return out;
}

int RecordingPrinter::pageCount(int doc) const
{
    const int d = doc < 0 ? m_doc : doc;
    int pages = 0;
    for (const Recorded& r : log) {
        if (r.doc == d && (r.op == QLatin1String("text") || r.op == QLatin1String("line") || r.op == QLatin1String("arc")))
            pages = std::max(pages, r.page);
    }
    return pages;
}

} // namespace prn
