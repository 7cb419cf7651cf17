#pragma once
// The drawing rules every page engine shares: the rounded-corner box, right alignment against a
// reference text, right alignment by blanks for a fixed-pitch face, and the number forms of the
// sheets. Widget-free: they draw on a printer object in its current unit.
#include <QRgb>
#include <QString>

namespace prn {
class PrinterObject;
}

namespace printing {

inline constexpr QRgb kBlack = 0xff000000;   // every rule and arc of the sheets

// The outline of the rectangle (x1, y1)-(x2, y2) with quarter-circle corners of radius r, in the
// printer's current unit, draw mode, style and width: four arcs (top-left, bottom-left,
// bottom-right, top-right) and then the four sides (top, left, bottom, right). Callers pass
// x1 < x2, y1 < y2 and r at most half of either side. A step whose coordinates overflow is left
// out and the others are still drawn.
void DrawRoundBox(prn::PrinterObject& target, float x1, float y1, float x2, float y2, float r, QRgb colour);

// The x at which the value text ends where the reference text, printed at base, would end:
// base + width(reference) − width(value), both in the printer's current font and unit.
double alignedX(const prn::PrinterObject& printer, double base, const QString& reference, const QString& measured);

// Prints text at y so that measured (usually the text itself) ends where reference printed at
// base would end. The current point is left at the start of the next line.
void printAligned(prn::PrinterObject& printer, double base, double y, const QString& reference,
                  const QString& text, const QString& measured);
inline void printAligned(prn::PrinterObject& printer, double base, double y, const QString& reference,
                         const QString& text)
{
    printAligned(printer, base, y, reference, text, text);
}

// The same with the reference's right edge (base + its width) already known, for the columns of
// many rows in one font.
void printAlignedTo(prn::PrinterObject& printer, double rightEdge, double y, const QString& text,
                    const QString& measured);

// Where a text measured as measured starts when it is to end at rightEdge.
double startBefore(const prn::PrinterObject& printer, double rightEdge, const QString& measured);

// Prints text with its top-left corner at (x, y) and moves to the next line.
void printAt(prn::PrinterObject& printer, double x, double y, const QString& text);

// A text column never runs into what stands right of it: a figure misread on a count sheet is a
// wrong count. A text too long for its column is cut to its leading characters, so that what the
// printer is given (and what a PDF's text says) is what the paper shows. limitX is where the
// column ends: its rule, or the left edge of the next text or figure when that comes first. The
// text ends a small gap before it, so it never touches a rule.
inline constexpr double kColumnGapMm = 0.2;
// The leading part of text, whole characters only (a grapheme cluster, so neither a surrogate
// pair nor a base letter and its marks are parted), that the printer draws within width in its
// current font and unit; the text itself when it fits, empty when not even its first character
// does.
QString leadingPartWithin(const prn::PrinterObject& printer, const QString& text, double width);
// The text as printed at x in a column that ends at limitX (see above).
QString fittedText(const prn::PrinterObject& printer, double x, const QString& text, double limitX);
// Prints text at (x, y) cut to its column, like printAt.
void printFitted(prn::PrinterObject& printer, double x, double y, const QString& text, double limitX);

// "#,##0": thousands separators, no decimals, halves away from zero.
QString amountText(double value);
// A quantity or unit price: "#,##0" when the value is whole (its own truncation toward zero),
// otherwise "#,##0.00".
QString wholeOrTwoDecimals(double value);
bool isWhole(double value);

// Right alignment by blanks: (width − length) blanks before the text; a text as long as the width
// or longer is returned unchanged. With a fixed-pitch face this right-aligns a column.
QString padLeft(const QString& text, int width);

} // namespace printing
