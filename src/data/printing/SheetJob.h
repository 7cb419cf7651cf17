#pragma once
// What the page engines share: the A4 page set-up, the category blocks of the sheets printed by
// category, the printer's reason when nothing was sent, and parts of the A4 page frames.
#include "printing/CountSheet.h"

#include <QSqlQuery>
#include <exception>
#include <functional>

namespace printing {

// A4 portrait in millimetres with the pen that the A4 sheets draw with.
void beginA4Millimetres(prn::PrinterObject& p);

// When nothing was sent and the engine knows no reason, the printer's own: the user's cancel or
// the device's error.
void takePrinterOutcome(const prn::PrinterObject& p, SheetResult& result);
// A job dropped because the database could not be read.
void takeDatabaseFailure(const std::exception& e, SheetResult& result);

// Prints the heading of a block, again on each of its pages.
using Heading = std::function<void()>;
// Prints one block of lines from a new frame: from the query's current row (onRow) or its first.
using BlockPrinter = std::function<void(QSqlQuery& lines, bool onRow, const Heading& heading)>;

// Every category of the request as one block under "項目" and its name, each from a new page;
// then, when all are printed, the lines without a category under "項目　未区分" when there are any
// (on a new page once a page was drawn). Stops when the job is abandoned. Throws db::DbError.
void printCategoryBlocks(prn::PrinterObject& p, const SheetRequest& request, double headingY,
                         const std::function<int()>& pagesDrawn, const BlockPrinter& block);

// The page number left of "頁" at the top right, measured on its digits and printed as a number
// (a blank before and after them).
void printPageNumber(prn::PrinterObject& p, int page);

// The dotted column rules of the A4 count layouts, from the box's top to its bottom.
void drawColumnRules(prn::PrinterObject& p);

// The dotted rules between rows rows, step apart from 42 mm down, and the solid rule at ruleY
// over the last line.
void drawRowRules(prn::PrinterObject& p, int rows, double step, double ruleY);

} // namespace printing
