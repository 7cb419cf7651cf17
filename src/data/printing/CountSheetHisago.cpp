// The count sheet on the preprinted form "HISAGO 1151": text only, placed into the form's fields
// in twips. Positions are millimetres from the sheet's edges on the form, turned into twips with
// the form's own factor and moved by the printer's physical offsets and the user's offsets.
#include "printing/CountSheet.h"

#include "platform/Db.h"
#include "platform/PrinterObject.h"
#include "platform/VbFormat.h"
#include "printing/PagePrimitives.h"
#include "printing/SheetJob.h"
#include "printing/SheetQuery.h"

#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace printing {

namespace {

constexpr double kTwipsPerMm = 56.7;     // the factor the form was measured with
constexpr double kHalfLine = 110;        // twips between the upper and lower half of a line
constexpr double kLineStep = 8 * kTwipsPerMm;
constexpr int kNameLength = 30;
constexpr int kNarrow = 9;               // field widths in characters
constexpr int kWide = 12;
constexpr double kFontSize = 10;

// Columns and lines of the form, in millimetres.
constexpr double kDateX = 18, kNameX = 43, kQuantityX = 110, kAmountX = 135, kRunningX = 177;
constexpr double kFirstLineY = 29.5, kFirstLineAfterCarryY = 37.5, kCarryFromY = 30, kFootY = 270;

// A user offset in twips: the millimetres times the form's factor, halves to even; no value when
// it is not a number or does not fit the printer's 16-bit positions.
std::optional<int> offsetTwips(double mm)
{
    const double tw = mm * kTwipsPerMm;
    if (!std::isfinite(tw) || std::nearbyint(tw) < std::numeric_limits<qint16>::min() ||
        std::nearbyint(tw) > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<int>(vb::roundHalfEven(tw));
}

// The first characters of a name, never splitting a character in two (a surrogate pair, or a
// letter and its marks).
QString leftChars(const QString& s, int n)
{
    if (s.size() <= n)
        return s;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, s);
    graphemes.setPosition(n);
    if (!graphemes.isAtBoundary())
        n = static_cast<int>(std::max<qsizetype>(0, graphemes.toPreviousBoundary()));
    return s.left(n);
}

class HisagoJob : public SheetJob {
public:
    HisagoJob(prn::PrinterObject& p, const SheetRequest& r) : SheetJob(p, PageSetUp::A4Twips, r.date), m_request(r) {}

private:
    bool draw(SheetResult& result) override;
    int pagesDrawn() const override { return m_page; }
    double printedTotal() const override { return m_runningTotal; }
    float x(double mm) const { return static_cast<float>(mm * kTwipsPerMm - m_physX + m_offX); }
    float y(double mm) const { return static_cast<float>(mm * kTwipsPerMm - m_physY + m_offY); }
    void at(double xTw, double yTw, const QString& text, prn::After after = prn::After::NextLine)
    {
        m_p.setCurrentX(static_cast<float>(xTw));
        m_p.setCurrentY(static_cast<float>(yTw));
        m_p.print(text, after);
    }

    void printHead();
    void printCarryToNext();
    void printCarryFromPrev();
    void printRow(const QSqlQuery& q);
    void printTotals();
    // The foot line's amount field: this page's amounts, in the amount column. The form's field
    // at 156 mm stays empty: a figure there would run into the running total at 177 mm once
    // totals reach ten digits, and the amount column leaves it no room to the left. What the page
    // brought forward stands at its top.
    void printFootFields(double yTw);

    const SheetRequest& m_request;
    int m_physX = 0, m_physY = 0, m_offX = 0, m_offY = 0;

    int m_page = 0;
    int m_lineCounter = 0;
    int m_linesPerPage = 29;
    bool m_firstPage = true;
    bool m_noBroughtForward = true;
    double m_runningTotal = 0;
    double m_pageAmount = 0;       // the amounts of this page's lines
    double m_linePos = 0;          // twips, offsets applied
};

void HisagoJob::printHead()
{
    m_p.setFontName(m_request.fontName);
    m_p.setFontSize(kFontSize);
    ++m_page;
    m_p.setCurrentX(x(190));
    m_p.setCurrentY(y(10));
    m_p.printNumber(m_page);
    at(x(80), y(10), QStringLiteral("棚卸表　　"), prn::After::SameLine);
    m_p.print(QStringLiteral("日付　") + m_dateText + QLatin1Char(' '));
}

void HisagoJob::printFootFields(double yTw)
{
    at(x(kAmountX), yTw, padLeft(amountText(m_pageAmount), kWide));
}

void HisagoJob::printCarryToNext()
{
    const float foot = y(kFootY);
    at(x(kNameX), foot, QStringLiteral("次頁へ繰越"));
    at(x(kRunningX), foot, padLeft(amountText(m_runningTotal), kWide));
    printFootFields(foot);
    m_p.newPage();
    m_pageAmount = 0;
}

void HisagoJob::printCarryFromPrev()
{
    at(x(kNameX), y(kCarryFromY), QStringLiteral("前頁ヨリ繰越"));
    at(x(kRunningX), y(kCarryFromY), padLeft(amountText(m_runningTotal), kWide));
    m_noBroughtForward = false;
}

void HisagoJob::printRow(const QSqlQuery& q)
{
    if (m_lineCounter == 1)
        m_linePos = y(m_noBroughtForward ? kFirstLineY : kFirstLineAfterCarryY);
    else
        m_linePos += kLineStep;
    const double upper = m_linePos - kHalfLine, lower = m_linePos + kHalfLine;

    const QVariant date = q.value(0), name = q.value(1), quantity = q.value(2), unit = q.value(3),
                   price = q.value(4), amount = q.value(5);
    if (hasValue(date))
        at(x(kDateX), m_linePos, db::fromIso(date).toString(QStringLiteral("MM/dd")));
    // The name, in the middle of the line, reaches up into the quantity's half and down into the
    // unit price's: it ends where their field begins. The unit ends before the amount's column.
    if (hasValue(name))
        at(x(kNameX), m_linePos, fittedText(m_p, x(kNameX), leftChars(name.toString(), kNameLength), x(kQuantityX)));
    // An empty field leaves its place blank; the rest of the line is still printed.
    if (hasValue(quantity)) {
        at(x(kQuantityX), upper, padLeft(wholeOrTwoDecimals(quantity.toDouble()), kNarrow), prn::After::SameLine);
        if (hasValue(unit))
            m_p.print(fittedText(m_p, m_p.currentX(), QLatin1Char(' ') + unit.toString(), x(kAmountX)));
    } else if (hasValue(unit)) {
        // No quantity: the unit stands where it would follow a blank field.
        const QString text = QString(kNarrow, QLatin1Char(' ')) + QLatin1Char(' ') + unit.toString();
        at(x(kQuantityX), upper, fittedText(m_p, x(kQuantityX), text, x(kAmountX)));
    }
    if (hasValue(price)) {
        const double v = price.toDouble();
        at(x(kQuantityX), lower, padLeft(wholeOrTwoDecimals(v), isWhole(v) ? kNarrow : kWide));
    }
    if (hasValue(amount))
        at(x(kAmountX), lower, padLeft(amountText(amount.toDouble()), kWide));
    at(x(kRunningX), lower, padLeft(amountText(m_runningTotal), kWide));
}

void HisagoJob::printTotals()
{
    const float foot = y(kFootY);
    at(x(kRunningX), foot, padLeft(amountText(m_runningTotal), kWide));
    printFootFields(foot);
}

bool HisagoJob::draw(SheetResult& result)
{
    begin();
    const auto offX = offsetTwips(m_request.offsetX);
    const auto offY = offsetTwips(m_request.offsetY);
    if (!offX || !offY) {
        result.error = QStringLiteral("the offset is not a number of millimetres the form can take");
        return false;
    }
    m_offX = *offX;
    m_offY = *offY;
    m_physX = static_cast<int>(vb::roundHalfEven(static_cast<float>(m_p.pixelsToTwipsX(m_request.physOffsetX))));
    m_physY = static_cast<int>(vb::roundHalfEven(static_cast<float>(m_p.pixelsToTwipsY(m_request.physOffsetY))));
    m_linesPerPage = 29;
    QSqlQuery q = streamQuery(QStringLiteral("SELECT 日付, 品名, 数量, 単位, 単価, 価格 FROM 棚卸マスター "
                                             "WHERE 日付 = ? ORDER BY 日付 ASC, ID ASC"),
                              {db::isoDate(m_request.date)});
    printHead();
    if (m_firstPage)
        ++m_linesPerPage;
    bool any = false;
    while (alive() && q.next()) {
        any = true;
        if (++m_lineCounter > m_linesPerPage) {
            m_lineCounter = 1;
            printCarryToNext();
            printHead();
            printCarryFromPrev();
            if (m_firstPage) {
                --m_linesPerPage;
                m_firstPage = false;
            }
        }
        const double amount = numberOr0(q.value(5));
        m_runningTotal += amount;
        m_pageAmount += amount;
        printRow(q);
    }
    throwIfFailed(q);
    if (any) {
        printTotals();
        m_p.newPage();
    }
    return true;
}

} // namespace

bool hisagoOffsetsFit(double offsetX, double offsetY)
{
    return offsetTwips(offsetX) && offsetTwips(offsetY);
}

SheetResult PrintHisago(prn::PrinterObject& printer, const SheetRequest& request)
{
    return HisagoJob(printer, request).run();
}

} // namespace printing
