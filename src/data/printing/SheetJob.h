#pragma once
// What the page engines share: the frame of a print job, the category blocks of the sheets printed
// by category, and parts of the A4 page frames.
#include "printing/CountSheet.h"

#include <QSqlQuery>
#include <functional>

namespace printing {

// The measures of the A4 sheets, in millimetres from the top-left corner of the printable area.
namespace a4 {
inline constexpr int kRowsPerPage = 28;       // lines (or groups) a page
inline constexpr double kFirstRowY = 38;
inline constexpr double kRowStep = 8;
inline constexpr double kHeadingY = 18;       // a category block's heading
inline constexpr double kSubtotalY = 258;     // the page's 小計, on the rule under the rows
inline constexpr double kTotalY = 262;        // 合計, under the last page's 小計
inline constexpr double kNameRule = 82;       // the rule right of the 品名 column
inline constexpr double kUnitRule = 112;      // the rule right of the 単位 column
inline constexpr double kBoxRight = 192;      // the right edge of the box, past the 備考 column
inline constexpr double kDateLineX = 142;     // the date line, right of a block's heading
inline constexpr double kTitleSize = 14.25;   // points
inline constexpr double kTextSize = 9.75;

// Where the row (from 0) of a page is printed.
inline double rowY(int row)
{
    return kFirstRowY + kRowStep * row;
}
} // namespace a4

// One print job, the same for every page engine (the dialog shows the hourglass around it): the
// page set-up before the first page, the document finished and sent whole or, when the database fails midway,
// abandoned; the copy pen back after an A4 sheet, and the outcome with the printer's own reason
// (the user's cancel or the device's error) when nothing was sent and the engine knows no reason.
class SheetJob {
public:
    SheetResult run();

protected:
    enum class PageSetUp {
        A4Millimetres,   // A4 portrait in millimetres, drawn with the not-XOR pen
        A4Twips,         // A4 portrait in twips, the pen as it is
    };
    SheetJob(prn::PrinterObject& p, PageSetUp setUp, const QDate& date);
    virtual ~SheetJob() = default;
    SheetJob(const SheetJob&) = delete;
    SheetJob& operator=(const SheetJob&) = delete;

    // False when the request names nothing to print: the job ends before it starts, the result
    // empty.
    virtual bool wanted() const { return true; }
    // Draws the document, calling begin() before its first page. False when nothing is to be sent
    // after all (result.error may say why). Throws db::DbError.
    virtual bool draw(SheetResult& result) = 0;
    // What the result reports of the job.
    virtual int pagesDrawn() const = 0;
    virtual double printedTotal() const { return 0; }

    // The page set-up; the printer's outcome is taken only for a job that came this far.
    void begin();
    bool alive() const;

    prn::PrinterObject& m_p;
    const QString m_dateText;   // the closing date as the sheets print it

private:
    const PageSetUp m_setUp;
    bool m_begun = false;
};

// Prints the heading of a block, again on each of its pages.
using Heading = std::function<void()>;
// Prints one block of lines from a new frame: from the query's current row (onRow) or its first.
using BlockPrinter = std::function<void(QSqlQuery& lines, bool onRow, const Heading& heading)>;

// Every category of the request as one block under "項目" and its name, each from a new page;
// then, when all are printed, the lines without a category under "項目　未区分" when there are any
// (on a new page once a page was drawn). Stops when the job is abandoned. Throws db::DbError.
void printCategoryBlocks(prn::PrinterObject& p, const SheetRequest& request,
                         const std::function<int()>& pagesDrawn, const BlockPrinter& block);

// The page number left of "頁" at the top right, measured on its digits and printed as a number
// (a blank before and after them).
void printPageNumber(prn::PrinterObject& p, int page);

// A sum at the foot of an A4 sheet: its caption at the left edge, the amount ending where the
// caption would end at amountX.
void printSumLine(prn::PrinterObject& p, const QString& caption, double y, double amountX, double amount);

// The dotted column rules of the A4 count layouts, from the box's top to its bottom.
void drawColumnRules(prn::PrinterObject& p);

// The dotted rules between a page's rows and the solid rule under the last one, where the page's
// 小計 stands.
void drawRowRules(prn::PrinterObject& p);

} // namespace printing
