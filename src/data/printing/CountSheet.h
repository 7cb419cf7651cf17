#pragma once
// The stock-count sheet engines: the two A4 layouts and the preprinted form. Widget-free: they draw
// on the printer object they are given and read the count lines of the date; the count-sheet
// dialog gathers the inputs and calls them.
//
// A job either goes to the device whole or not at all: when the device gives up, the user cancels
// the output file, or the database fails midway, the begun document is abandoned and nothing is
// sent (SheetResult::printed false). The dialog that calls an engine shows the hourglass while
// the job runs.
#include "platform/Db.h"

#include <QDate>
#include <QString>

namespace prn {
class PrinterObject;
}

namespace printing {

struct SheetRequest {
    QDate date;                  // the dialog's closing date
    bool allCategories = true;   // "すべての項目/分類を出力" chosen
    qint64 categoryId = 0;       // the chosen category when not all are printed
    QString fontName;            // the print font
    double offsetX = 0;          // the preprinted form's user offsets (the dialog's two boxes)
    double offsetY = 0;          // in millimetres; NaN when the box does not hold a number
    int physOffsetX = 0;         // the printer's physical offsets in device pixels
    int physOffsetY = 0;
};

// Why a job sent nothing, as far as the user is concerned.
enum class PrintFailure {
    None,           // sent, or stopped before anything was begun with nothing to tell
    Cancelled,      // the user's own cancel (the output file question)
    NoPrinter,      // the printer is not there any more
    NotAccepting,   // the printer refuses jobs
    CannotWrite,    // the output file cannot be written
    Database,       // the database could not be read
    Device,         // the printer failed otherwise
};

struct SheetResult {
    bool printed = false;        // a document was finished and handed to the device
    double printedTotal = 0;     // the sum of the amounts printed
    int pages = 0;               // pages drawn
    bool cancelled = false;      // the user cancelled the job (the output file question)
    QString error;               // why nothing was sent, when it was not the user's choice (for a
                                 // log: it may be the system's own English)
    PrintFailure failure = PrintFailure::None;
    QString failedOn;            // the printer or file the failure concerns
    db::Cause databaseCause = db::Cause::Other;   // why the database failed (PrintFailure::Database)
};

// The message the dialog shows instead of printing when one category is to be printed and none
// is chosen.
extern const QString kNoCategoryChosen;
// The message before the correction window opens when the printed total and the database total
// differ.
extern const QString kMissingOutput;

// The A4 sheets: every category of 項目ID 1 and above in key order (or the chosen one), each from a
// new page, 28 lines a page with the page's "小計", then (all categories) the lines of 未区分 and
// finally "合計". printedTotal is what the missing-output check compares with the database total.
SheetResult PrintA4Full(prn::PrinterObject& printer, const SheetRequest& request);
SheetResult PrintA4Simple(prn::PrinterObject& printer, const SheetRequest& request);
// The preprinted form "HISAGO 1151": every line of the date, whatever the category choice. A user
// offset beyond the form's range (or not a number) prints nothing (error set).
SheetResult PrintHisago(prn::PrinterObject& printer, const SheetRequest& request);
// True when the form can take both user offsets (millimetres): otherwise PrintHisago begins no
// document.
bool hisagoOffsetsFit(double offsetX, double offsetY);

// The missing-output check's comparison: true when the printed total and the database total
// differ by more than the rounding the two sums may collect in different orders of addition (so a
// correct sheet never sends the user to the correction window).
bool totalsDiffer(double printedTotal, double databaseTotal);

} // namespace printing
