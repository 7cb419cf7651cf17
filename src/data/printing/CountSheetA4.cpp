// The A4 count sheets: one engine, two page frames. Millimetres, origin at the top-left corner of
// the printable area.
#include "printing/CountSheet.h"

#include "platform/PrinterObject.h"
#include "platform/VbFormat.h"
#include "printing/PagePrimitives.h"
#include "printing/SheetJob.h"
#include "printing/SheetQuery.h"

#include <algorithm>

namespace printing {

namespace {

enum class Frame { Full, Simple };

using namespace a4;

// One job: the counters and sums of the sheet.
class A4Job : public SheetJob {
public:
    A4Job(prn::PrinterObject& p, const SheetRequest& r, Frame f)
        : SheetJob(p, PageSetUp::A4Millimetres, r.date), m_request(r), m_frame(f)
    {
    }

private:
    bool draw(SheetResult& result) override;
    int pagesDrawn() const override { return m_pageCounter; }
    double printedTotal() const override { return m_printedTotal; }
    void drawFrame();
    void drawLines();
    void printRow(const QSqlQuery& q);
    void printSubtotal();
    // Prints the lines of q from its current row (onRow) or from its first, 28 a page.
    void printLines(QSqlQuery& q, bool onRow, const Heading& heading);
    // One category from a new frame, with its last page's subtotal.
    void printBlock(QSqlQuery& q, bool onRow, const Heading& heading);

    const SheetRequest& m_request;
    const Frame m_frame;
    int m_pageCounter = 0;
    int m_rowCounter = 0;
    double m_pageSubtotal = 0;
    double m_printedTotal = 0;
    double m_quantityEdge = 0, m_priceEdge = 0, m_amountEdge = 0;
};

void A4Job::drawFrame()
{
    ++m_pageCounter;
    m_p.setFontName(m_request.fontName);
    m_p.setFontSize(kTitleSize);
    printAt(m_p, 87, 11, QStringLiteral("棚　卸　表"));
    m_p.setFontSize(kTextSize);
    printAt(m_p, 22, 30, QStringLiteral("品　名"));
    printAt(m_p, 85, 30, QStringLiteral("数　量"));
    printAt(m_p, 103, 30, QStringLiteral("単位"));
    printAt(m_p, 117, 30, QStringLiteral("単　価"));
    printAt(m_p, 142, 30, QStringLiteral("価　格"));
    printAt(m_p, 167, 30, QStringLiteral("備考"));
    printPageNumber(m_p, m_pageCounter);
    printAt(m_p, 142, 20, QStringLiteral("日付　　　　　　　　　日現在"));
    m_p.setFontSize(kTextSize);
    printAt(m_p, 152, 20, m_dateText);
    // The rows are printed in the font the frame leaves: their column edges are measured once.
    m_quantityEdge = 90 + m_p.textWidth(QStringLiteral("数量"));
    m_priceEdge = 125 + m_p.textWidth(QStringLiteral("単価"));
    m_amountEdge = 154 + m_p.textWidth(QStringLiteral("価格"));
    drawLines();
}

void A4Job::drawLines()
{
    m_p.setDrawWidth(1);
    m_p.setDrawStyle(prn::kStyleSolid);
    if (m_frame == Frame::Full)
        DrawRoundBox(m_p, 12, 29, 192, 270, 1, kBlack);
    m_p.setDrawStyle(prn::kStyleSolid);
    m_p.line(72, 16, 122, 16, kBlack);
    m_p.setDrawStyle(prn::kStyleSolid);
    m_p.line(12, 35, 192, 35, kBlack);
    if (m_frame == Frame::Full)
        drawColumnRules(m_p);
    drawRowRules(m_p);
}

void A4Job::printRow(const QSqlQuery& q)
{
    const double y = rowY(m_rowCounter);
    // Each column stands on its own: an empty field leaves its column blank and the rest of the
    // row is still printed.
    const QVariant name = q.value(0), quantity = q.value(1), unit = q.value(2), price = q.value(3),
                   amount = q.value(4), note = q.value(5);
    // A fraction starts where the whole part alone would start, so the whole parts of a column
    // line up and the decimals run on past its right edge. A figure wider than its column starts
    // left of the column's rule, and the text left of it then ends before the figure.
    double nameLimit = kNameRule, unitLimit = kUnitRule;
    QString quantityText, priceText;
    double quantityX = 0, priceX = 0;
    if (hasValue(quantity)) {
        const double v = quantity.toDouble();
        quantityText = wholeOrTwoDecimals(v);
        quantityX = startBefore(m_p, m_quantityEdge, amountText(vb::fix(v)));
        nameLimit = std::min(nameLimit, quantityX);
    }
    if (hasValue(price)) {
        const double v = price.toDouble();
        priceText = wholeOrTwoDecimals(v);
        priceX = startBefore(m_p, m_priceEdge, amountText(vb::fix(v)));
        unitLimit = std::min(unitLimit, priceX);
    }
    if (hasValue(name))
        printFitted(m_p, 15, y, name.toString(), nameLimit);
    if (hasValue(quantity))
        printAt(m_p, quantityX, y, quantityText);
    if (hasValue(unit))
        printFitted(m_p, 103, y, unit.toString(), unitLimit);
    if (hasValue(price))
        printAt(m_p, priceX, y, priceText);
    if (hasValue(amount)) {
        const QString text = amountText(amount.toDouble());
        printAlignedTo(m_p, m_amountEdge, y, text, text);
    }
    if (hasValue(note)) {
        const QString text = note.toString();
        if (text != QString(QChar(0)))
            printFitted(m_p, 164, y, text, kBoxRight);
    }
}

void A4Job::printSubtotal()
{
    printSumLine(m_p, QStringLiteral("小計"), kSubtotalY, 154, m_pageSubtotal);
}

void A4Job::printLines(QSqlQuery& q, bool onRow, const Heading& heading)
{
    for (bool row = onRow || q.next(); row && alive(); row = q.next()) {
        if (m_rowCounter > kRowsPerPage - 1) {
            printSubtotal();
            m_p.newPage();
            drawFrame();
            heading();
            m_rowCounter = 0;
            m_pageSubtotal = 0;
        }
        printRow(q);
        const double amount = numberOr0(q.value(4));
        m_pageSubtotal += amount;
        m_printedTotal += amount;
        ++m_rowCounter;
    }
    throwIfFailed(q);
}

void A4Job::printBlock(QSqlQuery& q, bool onRow, const Heading& heading)
{
    m_pageSubtotal = 0;
    m_rowCounter = 0;
    drawFrame();
    heading();
    printLines(q, onRow, heading);
    printSubtotal();
}

bool A4Job::draw(SheetResult&)
{
    begin();
    printCategoryBlocks(m_p, m_request, [&] { return m_pageCounter; },
                        [&](QSqlQuery& lines, bool onRow, const Heading& heading) { printBlock(lines, onRow, heading); });
    printSumLine(m_p, QStringLiteral("合計"), kTotalY, 154, m_printedTotal);
    return true;
}

} // namespace

SheetResult PrintA4Full(prn::PrinterObject& printer, const SheetRequest& request)
{
    return A4Job(printer, request, Frame::Full).run();
}

SheetResult PrintA4Simple(prn::PrinterObject& printer, const SheetRequest& request)
{
    return A4Job(printer, request, Frame::Simple).run();
}

} // namespace printing
