#include "printing/PagePrimitives.h"

#include "platform/PrinterObject.h"
#include "platform/VbFormat.h"

#include <cmath>
#include <initializer_list>

namespace printing {

namespace {

// The value of π the sheets were drawn with; the corners are laid out with it.
constexpr double kPi = 3.1415926;

bool finite(std::initializer_list<float> values)
{
    for (float v : values)
        if (!std::isfinite(v))
            return false;
    return true;
}

// Sums and differences are formed in double precision and handed on in single precision.
float single(double v)
{
    return static_cast<float>(v);
}

} // namespace

void DrawRoundBox(prn::PrinterObject& target, float x1, float y1, float x2, float y2, float r, QRgb colour)
{
    const double dx1 = x1, dy1 = y1, dx2 = x2, dy2 = y2, dr = r;
    const float left = single(dx1 + dr), right = single(dx2 - dr);
    const float top = single(dy1 + dr), bottom = single(dy2 - dr);
    auto arc = [&](float cx, float cy, double start, double end) {
        if (finite({cx, cy, r}))
            target.circle(cx, cy, r, colour, single(start), single(end));
    };
    auto line = [&](float ax, float ay, float bx, float by) {
        if (finite({ax, ay, bx, by}))
            target.line(ax, ay, bx, by, colour);
    };
    arc(left, top, 0.5 * kPi, 1.0 * kPi);
    arc(left, bottom, 1.0 * kPi, 1.5 * kPi);
    arc(right, bottom, 1.5 * kPi, kPi + kPi);
    arc(right, top, 0, 0.5 * kPi);
    line(left, y1, right, y1);
    line(x1, top, x1, bottom);
    line(left, y2, right, y2);
    line(x2, top, x2, bottom);
}

double alignedX(const prn::PrinterObject& printer, double base, const QString& reference, const QString& measured)
{
    return base + printer.textWidth(reference) - printer.textWidth(measured);
}

void printAligned(prn::PrinterObject& printer, double base, double y, const QString& reference,
                  const QString& text, const QString& measured)
{
    printer.setCurrentX(alignedX(printer, base, reference, measured));
    printer.setCurrentY(y);
    printer.print(text);
}

void printAlignedTo(prn::PrinterObject& printer, double rightEdge, double y, const QString& text,
                    const QString& measured)
{
    printer.setCurrentX(rightEdge - printer.textWidth(measured));
    printer.setCurrentY(y);
    printer.print(text);
}

void printAt(prn::PrinterObject& printer, double x, double y, const QString& text)
{
    printer.setCurrentX(x);
    printer.setCurrentY(y);
    printer.print(text);
}

QString amountText(double value)
{
    return vb::formatNumber(value, 0);
}

bool isWhole(double value)
{
    return vb::fix(value) == value;
}

QString wholeOrTwoDecimals(double value)
{
    return vb::formatNumber(value, isWhole(value) ? 0 : 2);
}

QString padLeft(const QString& text, int width)
{
    if (text.size() >= width)
        return text;
    return QString(width - text.size(), QLatin1Char(' ')) + text;
}

} // namespace printing
