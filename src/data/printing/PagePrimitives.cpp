#include "printing/PagePrimitives.h"

#include "platform/PrinterObject.h"
#include "platform/VbFormat.h"

#include <QTextBoundaryFinder>

#include <cmath>
#include <initializer_list>
#include <vector>

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

double startBefore(const prn::PrinterObject& printer, double rightEdge, const QString& measured)
{
    return rightEdge - printer.textWidth(measured);
}

void printAlignedTo(prn::PrinterObject& printer, double rightEdge, double y, const QString& text,
                    const QString& measured)
{
    printer.setCurrentX(startBefore(printer, rightEdge, measured));
    printer.setCurrentY(y);
    printer.print(text);
}

void printAt(prn::PrinterObject& printer, double x, double y, const QString& text)
{
    printer.setCurrentX(x);
    printer.setCurrentY(y);
    printer.print(text);
}

QString leadingPartWithin(const prn::PrinterObject& printer, const QString& text, double width)
{
    if (printer.textWidth(text) <= width)
        return text;
    // Every place the text may be cut, after its first character and before its last.
    std::vector<qsizetype> cuts;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype at = graphemes.toNextBoundary(); at > 0 && at < text.size(); at = graphemes.toNextBoundary())
        cuts.push_back(at);
    // The widths of the leading parts grow with their length: the longest one that fits is found
    // by halving, measuring each candidate whole (kerning and shaping make widths of parts no sum).
    std::size_t low = 0, high = cuts.size();   // the answer is among the first high cuts
    while (low < high) {
        const std::size_t mid = (low + high + 1) / 2;
        if (printer.textWidth(text.left(cuts[mid - 1])) <= width)
            low = mid;
        else
            high = mid - 1;
    }
    return low == 0 ? QString() : text.left(cuts[low - 1]);
}

QString fittedText(const prn::PrinterObject& printer, double x, const QString& text, double limitX)
{
    const double unitsPerMm =
        printer.scaleMode() == prn::kScaleTwips ? prn::kTwipsPerInch / prn::kMillimetresPerInch : 1.0;
    return leadingPartWithin(printer, text, limitX - kColumnGapMm * unitsPerMm - x);
}

void printFitted(prn::PrinterObject& printer, double x, double y, const QString& text, double limitX)
{
    printAt(printer, x, y, fittedText(printer, x, text, limitX));
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
