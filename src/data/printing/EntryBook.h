#pragma once
// The count-entry book: the form the next stocktaking is written on by hand. For an earlier
// closing date it prints, category by category, every count line of that date (name, unit and the
// unit price as a reference price) on ruled rows whose quantity, price and remark columns stay
// blank. Widget-free, like the count-sheet engines: the dialog gathers the request, the engine
// draws on the printer it is given and reads the lines of the date.
//
// The job goes to the device whole or not at all (see CountSheet.h): a database or device failure
// midway abandons the begun document. The result's printedTotal is not used.
#include "printing/CountSheet.h"

namespace printing {

// Every category of 項目ID 1 and above in key order, also those without a line at the date (one
// page with the frame, the heading and 28 empty rows), each from a new page, 28 lines a page, the
// page numbers running on through the whole book; then the lines of 未区分. With one category
// chosen only that category is printed, 未区分 included when it is the one chosen. Only
// request.date, allCategories, categoryId and fontName are read.
SheetResult PrintEntryBook(prn::PrinterObject& printer, const SheetRequest& request);

} // namespace printing
