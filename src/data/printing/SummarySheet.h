#pragma once
// The grouped summary sheets: the count lines of a closing date summed by category name or by
// product name, one line a group with its amount and its number of lines, 28 groups a page with
// the page's "小計", and "合計" under the last one. Widget-free: it draws on the printer object it
// is given and reads the same grouped rows the summary list shows.
//
// As with the count sheets, a job goes to the device whole or not at all: when the database fails
// midway or the device gives up, the begun document is abandoned, nothing is sent and
// SheetResult::error says why. A date without lines begins no document (printed false, no error).
#include "printing/CountSheet.h"

#include <QDate>
#include <QString>

namespace printing {

enum class SummaryGrouping {
    None,         // a heading that names no grouping: nothing is printed
    ByCategory,   // 項目分類名, the largest total first
    ByProduct,    // 品名, in name order
};

// The group column headings, which also choose the grouping.
extern const QString kCategoryGroupHeading;   // "項目/分類名"
extern const QString kProductGroupHeading;    // "品名"
// Compared whole and exactly.
SummaryGrouping summaryGroupingOf(const QString& groupHeading);

struct SummaryRequest {
    QDate date;              // the dialog's closing date
    QString title;           // the sheet title
    QString groupHeading;    // the group column's heading; it chooses the grouping
    QString fontName;        // the print font
};

SheetResult PrintSummarySheet(prn::PrinterObject& printer, const SummaryRequest& request);
// True when the request names a grouping and the date has a group to print: otherwise
// PrintSummarySheet begins no document. Throws db::DbError.
bool summaryHasGroups(const SummaryRequest& request);

} // namespace printing
