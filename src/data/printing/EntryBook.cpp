// The count-entry book, A4 portrait. Millimetres, origin at the top-left corner of the printable
// area.
#include "printing/EntryBook.h"

#include "platform/PrinterObject.h"
#include "platform/VbFormat.h"
#include "printing/PagePrimitives.h"
#include "printing/SheetJob.h"
#include "printing/SheetQuery.h"

#include <algorithm>

namespace printing {

namespace {

using namespace a4;

// The columns of linesOfCategory() the book prints.
constexpr int kName = 0;
constexpr int kUnit = 2;
constexpr int kPrice = 3;

class EntryBookJob : public SheetJob {
public:
    EntryBookJob(prn::PrinterObject& p, const SheetRequest& r)
        : SheetJob(p, PageSetUp::A4Millimetres, r.date), m_request(r)
    {
    }

private:
    bool draw(SheetResult& result) override;
    int pagesDrawn() const override { return m_pageNumber; }
    void PrintEntryBookPageFrame();
    void PrintEntryBookRow(const QSqlQuery& q);
    // One block of lines under its heading: the first page, then 28 rows a page, a new page (with
    // the heading again) only when one more line is to be printed.
    void printBlock(QSqlQuery& q, bool onRow, const Heading& heading);

    const SheetRequest& m_request;
    int m_pageNumber = 0;
    int m_lineCounter = 0;
    double m_priceEdge = 0;
};

void EntryBookJob::PrintEntryBookPageFrame()
{
    ++m_pageNumber;
    m_p.setDrawStyle(prn::kStyleSolid);
    m_p.setDrawWidth(1);
    DrawRoundBox(m_p, 12, 29, 192, 270, 1, kBlack);
    m_p.setDrawStyle(prn::kStyleSolid);
    m_p.line(72, 16, 142, 16, kBlack);

    m_p.setFontName(m_request.fontName);
    m_p.setFontSize(kTitleSize);
    printAt(m_p, 87, 11, QStringLiteral("棚　卸　記　入　帳"));

    m_p.setFontSize(kTextSize);
    printAt(m_p, 22, 30, QStringLiteral("品　名"));
    m_p.setDrawStyle(prn::kStyleSolid);
    m_p.line(12, 35, 192, 35, kBlack);
    printAt(m_p, 85, 30, QStringLiteral("数　量"));
    printAt(m_p, 103, 30, QStringLiteral("単位"));
    printAt(m_p, 117, 30, QStringLiteral("参考単価"));
    printAt(m_p, 142, 30, QStringLiteral("単　価"));
    printAt(m_p, 167, 30, QStringLiteral("備考"));

    drawColumnRules(m_p);
    drawRowRules(m_p);

    printPageNumber(m_p, m_pageNumber);
    printAt(m_p, 142, 20, QStringLiteral("前期棚卸日"));
    m_p.setFontSize(kTextSize);
    printAt(m_p, 165, 20, m_dateText);
    // The rows are printed in the font the frame leaves: the price column's edge is measured once.
    m_priceEdge = 125 + m_p.textWidth(QStringLiteral("単価"));
}

void EntryBookJob::PrintEntryBookRow(const QSqlQuery& q)
{
    const double y = rowY(m_lineCounter);
    const QVariant name = q.value(kName), unit = q.value(kUnit), price = q.value(kPrice);
    // The whole part of every price ends at the column's edge; the decimals of a fraction run on
    // past it. The whole part is the truncated one, so 999.50 lines up with 999 (its rounded form,
    // "1,000", would start a digit further left). A price wider than its column starts left of
    // the column's rule, and the unit then ends before it.
    double unitLimit = kUnitRule, priceX = 0;
    if (hasValue(price)) {
        priceX = startBefore(m_p, m_priceEdge, amountText(vb::fix(price.toDouble())));
        unitLimit = std::min(unitLimit, priceX);
    }
    // The quantity column stays blank for the hand: the name ends at its rule.
    if (hasValue(name))
        printFitted(m_p, 15, y, name.toString(), kNameRule);
    if (hasValue(unit))
        printFitted(m_p, 103, y, unit.toString(), unitLimit);
    if (hasValue(price))
        printAt(m_p, priceX, y, wholeOrTwoDecimals(price.toDouble()));
}

void EntryBookJob::printBlock(QSqlQuery& q, bool onRow, const Heading& heading)
{
    m_lineCounter = 0;
    PrintEntryBookPageFrame();
    heading();
    for (bool row = onRow || q.next(); row && alive(); row = q.next()) {
        if (m_lineCounter > kRowsPerPage - 1) {
            m_p.newPage();
            PrintEntryBookPageFrame();
            heading();
            m_lineCounter = 0;
        }
        PrintEntryBookRow(q);
        ++m_lineCounter;
    }
    throwIfFailed(q);
}

bool EntryBookJob::draw(SheetResult&)
{
    begin();
    printCategoryBlocks(m_p, m_request, [&] { return m_pageNumber; },
                        [&](QSqlQuery& lines, bool onRow, const Heading& heading) { printBlock(lines, onRow, heading); });
    return true;
}

} // namespace

SheetResult PrintEntryBook(prn::PrinterObject& printer, const SheetRequest& request)
{
    return EntryBookJob(printer, request).run();
}

} // namespace printing
