#pragma once
// A printer object that writes nothing and remembers everything: each operation with its arguments
// in the engine's units, numbered by document and page. Text widths come from the real faces'
// metrics at the recorder's resolution (by default that of the PDF and queue printers), so
// right-aligned columns can be checked exactly.
#include "platform/PrinterObject.h"

#include <QImage>
#include <QList>
#include <QStringList>

namespace prn {

struct Recorded {
    // "paperSize", "orientation", "scaleMode", "fontName", "fontSize", "drawStyle", "drawWidth",
    // "drawMode", "text", "line", "arc", "newPage", "endDoc", "abort".
    QString op;
    int doc = 0;    // 1-based document; 0 outside a document
    int page = 0;   // 1-based page of that document; 0 outside a document
    double value = 0;   // the value set (state changes)
    QString text;       // the text printed, or the font name set
    double x = 0, y = 0;    // text: top-left corner; line: start; arc: centre
    double x2 = 0, y2 = 0;  // line: end
    double radius = 0, start = 0, end = 0;  // arc, radians as given
    double width = 0;   // text: its width in the current font and unit
    // The state the operation was drawn with.
    int scaleMode = 0;
    QString fontName;
    double fontSize = 0;
    int drawStyle = 0;
    int drawWidth = 0;
    int drawMode = 0;
    QRgb colour = 0;

    // A short line for comparisons and failure messages, numbers rounded to 0.01, e.g.
    // "text 87 11 棚　卸　表", "line 13 29 191 29 s0 w1 m10", "arc 13 30 r1 1.57..3.14".
    QString describe() const;
};

class RecordingPrinter : public PrinterObject {
public:
    explicit RecordingPrinter(const QString& name = QStringLiteral("Recorder"), double dpi = 576,
                              const QPoint& offsetPx = {}, const QSize& sheetPx = {});

    QString deviceName() const override { return m_name; }
    QPointF resolution() const override { return {m_dpi, m_dpi}; }
    QPoint physicalOffsetPx() const override { return m_offset; }
    QSize physicalSizePx() const override;

    QList<Recorded> log;

    // Drawing operations (text, line, arc) of one page of a document (default: the last one).
    QList<Recorded> page(int page, int doc = -1) const;
    // The texts of a page as describe() writes them.
    QStringList describePage(int page, int doc = -1) const;
    int pageCount(int doc = -1) const;
    int documentCount() const { return m_doc; }
    // Documents ended and handed on (not abandoned).
    int sentCount() const { return m_sent; }

    // Fault injection: the next job's start is cancelled as if the user cancelled the output
    // question; or the device fails at the n-th drawing operation of the next job (1-based).
    void cancelNextJob() { m_cancelNext = true; }
    void failAtDrawing(int n) { m_failAt = n; }

protected:
    bool beginJob() override;
    bool beginPage() override;
    void drawText(double x, double y, const QString& text) override;
    void drawLine(double x1, double y1, double x2, double y2, QRgb colour) override;
    void drawArc(double x, double y, double radius, QRgb colour, double start, double end, double span) override;
    double measurePx(const QString& text) const override;
    double lineHeightPx() const override;
    bool finishJob() override;
    void abandonJob() override;
    bool offersPaper(int) const override { return true; }
    void stateChanged(const char* what, double value, const QString& text) override;
    void pageBreakRequested() override;

private:
    Recorded make(const QString& op) const;
    bool drawingFails();

    QString m_name;
    double m_dpi;
    QPoint m_offset;
    QSize m_sheet;
    QImage m_probe;
    int m_doc = 0;
    int m_page = 0;
    bool m_open = false;
    int m_sent = 0;
    bool m_cancelNext = false;
    int m_failAt = 0;
    int m_drawn = 0;
};

} // namespace prn
