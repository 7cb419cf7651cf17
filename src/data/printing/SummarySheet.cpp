// The grouped summary sheets on A4. Millimetres, origin at the top-left corner of the printable
// area.
#include "printing/SummarySheet.h"

#include "counting/SummaryList.h"
#include "platform/PrinterObject.h"
#include "printing/PagePrimitives.h"
#include "printing/SheetJob.h"
#include "printing/SheetQuery.h"

#include <algorithm>

namespace printing {

const QString kCategoryGroupHeading = QStringLiteral("項目/分類名");
const QString kProductGroupHeading = QStringLiteral("品名");

SummaryGrouping summaryGroupingOf(const QString& groupHeading)
{
    if (groupHeading == kCategoryGroupHeading)
        return SummaryGrouping::ByCategory;
    if (groupHeading == kProductGroupHeading)
        return SummaryGrouping::ByProduct;
    return SummaryGrouping::None;
}

namespace {

using namespace a4;

constexpr double kAmountBase = 120;
constexpr double kCountBase = 135;
constexpr double kGroupRule = 97;   // the rule right of the group names

// The grouped rows: 日付, the group's name, 合計, 集計数.
enum Column { kName = 1, kAmount = 2, kCount = 3 };

// The very rows the summary list shows for the date. Throws db::DbError.
QSqlQuery groupRows(SummaryGrouping grouping, const QDate& date)
{
    const counting::ListSql sql = counting::listQuery(
        grouping == SummaryGrouping::ByCategory ? counting::ListMode::CategorySum : counting::ListMode::ProductSum, date);
    return streamQuery(sql.sql, sql.args);
}

class SummaryJob : public SheetJob {
public:
    SummaryJob(prn::PrinterObject& p, const SummaryRequest& r)
        : SheetJob(p, PageSetUp::A4Millimetres, r.date), m_request(r),
          m_grouping(summaryGroupingOf(r.groupHeading))
    {
    }

private:
    bool wanted() const override { return m_grouping != SummaryGrouping::None; }
    bool draw(SheetResult& result) override;
    int pagesDrawn() const override { return m_pageNumber; }
    double printedTotal() const override { return m_total; }
    void PrintSummaryPageFrame();
    void PrintSummaryRow(const QSqlQuery& q);
    void PrintSummarySubtotal();

    const SummaryRequest& m_request;
    const SummaryGrouping m_grouping;
    int m_pageNumber = 0;
    int m_lineCounter = 0;
    double m_pageSum = 0;
    double m_total = 0;
    double m_amountEdge = 0, m_countEdge = 0;
};

void SummaryJob::PrintSummaryPageFrame()
{
    ++m_pageNumber;
    m_p.setDrawWidth(1);
    m_p.setDrawStyle(prn::kStyleSolid);
    DrawRoundBox(m_p, 12, 29, 192, 270, 1, kBlack);
    m_p.setDrawStyle(prn::kStyleSolid);
    m_p.line(72, 16, 147, 16, kBlack);

    m_p.setFontName(m_request.fontName);
    m_p.setFontSize(kTitleSize);
    printAt(m_p, 77, 11, m_request.title);
    // Group lines, subtotal and total are printed in the size the headings leave.
    m_p.setFontSize(kTextSize);
    printAt(m_p, 22, 30, m_request.groupHeading);
    printAt(m_p, 107, 30, QStringLiteral("価格"));
    printAt(m_p, 134, 30, QStringLiteral("集計数"));
    m_amountEdge = kAmountBase + m_p.textWidth(QStringLiteral("合計"));
    m_countEdge = kCountBase + m_p.textWidth(QStringLiteral("集計数"));

    m_p.setDrawStyle(prn::kStyleSolid);
    m_p.line(12, 35, 192, 35, kBlack);
    drawRowRules(m_p);
    for (double x : {kGroupRule, 132.0, 147.0})
        m_p.line(x, 29, x, 270, kBlack);

    printPageNumber(m_p, m_pageNumber);
    printAt(m_p, 142, 20, QStringLiteral("日付　　　　　　　　　日現在"));
    printAt(m_p, 152, 20, m_dateText);
}

void SummaryJob::PrintSummaryRow(const QSqlQuery& q)
{
    const double y = rowY(m_lineCounter);
    // A group without a name (a master row whose name is empty) or without an amount (no line of
    // it has a price) leaves that column blank; the rest of the line is still printed.
    const QVariant name = q.value(kName), amount = q.value(kAmount), count = q.value(kCount);
    // The name ends at the rule before the amounts, or before an amount too wide for its column.
    double nameLimit = kGroupRule, amountX = 0;
    QString amountFigure;
    if (hasValue(amount)) {
        amountFigure = amountText(amount.toDouble());
        amountX = startBefore(m_p, m_amountEdge, amountFigure);
        nameLimit = std::min(nameLimit, amountX);
    }
    if (hasValue(name))
        printFitted(m_p, 15, y, name.toString(), nameLimit);
    if (hasValue(amount))
        printAt(m_p, amountX, y, amountFigure);
    if (hasValue(count)) {
        const QString text = amountText(count.toDouble());
        printAlignedTo(m_p, m_countEdge, y, text, text);
    }
}

void SummaryJob::PrintSummarySubtotal()
{
    printSumLine(m_p, QStringLiteral("小計"), kSubtotalY, kAmountBase, m_pageSum);
}

bool SummaryJob::draw(SheetResult&)
{
    QSqlQuery groups = groupRows(m_grouping, m_request.date);
    if (!groups.next()) {
        // A date without lines: no page and no message.
        throwIfFailed(groups);
        return false;
    }
    begin();
    m_pageSum = 0;
    m_lineCounter = 0;
    PrintSummaryPageFrame();
    for (bool row = true; row && alive(); row = groups.next()) {
        if (m_lineCounter > kRowsPerPage - 1) {
            PrintSummarySubtotal();
            m_p.newPage();
            PrintSummaryPageFrame();
            m_pageSum = 0;
            m_lineCounter = 0;
        }
        PrintSummaryRow(groups);
        const double amount = numberOr0(groups.value(kAmount));
        m_pageSum += amount;
        m_total += amount;
        ++m_lineCounter;
    }
    throwIfFailed(groups);
    PrintSummarySubtotal();
    printSumLine(m_p, QStringLiteral("合計"), kTotalY, kAmountBase, m_total);
    return true;
}

} // namespace

bool summaryHasGroups(const SummaryRequest& request)
{
    const SummaryGrouping grouping = summaryGroupingOf(request.groupHeading);
    if (grouping == SummaryGrouping::None)
        return false;
    QSqlQuery groups = groupRows(grouping, request.date);
    if (groups.next())
        return true;
    throwIfFailed(groups);
    return false;
}

SheetResult PrintSummarySheet(prn::PrinterObject& printer, const SummaryRequest& request)
{
    return SummaryJob(printer, request).run();
}

} // namespace printing
