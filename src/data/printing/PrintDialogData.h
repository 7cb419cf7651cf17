#pragma once
// The data side of the print dialogs: which engine a paper kind runs, whether a closing date has
// count lines, the database total the printed total is checked against, and the offsets as the
// engines take them. No widget here.
#include "printing/CountSheet.h"
#include "printing/EntryBook.h"
#include "printing/SummarySheet.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

namespace printing {

// The paper kinds of the count-sheet dialog, as its list shows them.
extern const QString kPaperA4Full;     // "A４　オリジナル棚卸表"
extern const QString kPaperA4Simple;   // "A４　簡易棚卸表"
extern const QString kPaperHisago;     // "HISAGO 1151"
QStringList paperKinds();

enum class PaperKind { None, A4Full, A4Simple, Hisago };
// Exact texts only; anything else (a kind typed wrongly, an old setting) prints nothing.
PaperKind paperKindOf(const QString& text);

// The engine each paper kind runs, and the count-entry book's. Process-wide so that tests can
// stand an engine of their own in for one of them and watch what the dialog does with its result;
// restoreSheetEngines() puts the real engines back.
using SheetEngine = SheetResult (*)(prn::PrinterObject&, const SheetRequest&);
struct SheetEngines {
    SheetEngine a4Full = &PrintA4Full;
    SheetEngine a4Simple = &PrintA4Simple;
    SheetEngine hisago = &PrintHisago;
    SheetEngine entryBook = &PrintEntryBook;
    SheetResult (*summary)(prn::PrinterObject&, const SummaryRequest&) = &PrintSummarySheet;   // grouped summaries
};
SheetEngines& sheetEngines();
void restoreSheetEngines();
// The engine of a kind; nullptr for PaperKind::None.
SheetEngine engineFor(PaperKind kind);

// True when the date has at least one count line. Throws db::DbError.
bool hasCountLines(const QDate& closingDate);
// The sum of 価格 over the date's lines; 0 when none has a price (never the total of an earlier
// date left standing). Throws db::DbError.
double databaseTotal(const QDate& closingDate);
// The total as the hidden total box holds it: plain digits, no grouping.
QString totalText(double total);
// An offset box's millimetres as the preprinted form takes them, read as every typed number of the
// program is (full-width digits, grouping in threes); NaN for text that is empty or no number,
// which the form refuses to print with.
double offsetMillimetres(const QString& text);
// The printer's physical offset in device pixels as twips, rounded halves to even.
long physicalOffsetTwips(double twips);

// Why a print sent nothing, in the user's words; empty when there is nothing to tell (it was
// sent, the user cancelled it, or it stopped before it began).
QString failureReason(const SheetResult& result);
// The dialog's heading and the reason on the next line; empty when there is nothing to tell.
QString failureMessage(const QString& heading, const SheetResult& result);
// The printer chosen from a list that no longer has it.
QString printerGoneText(const QString& name);

} // namespace printing
