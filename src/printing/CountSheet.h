#pragma once
// The stock-count sheet engines: the two A4 layouts and the preprinted form. Widget-free: they draw
// on the printer object they are given and read the count lines of the date; the count-sheet
// dialog gathers the inputs and calls them.
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
    double offsetY = 0;
    int physOffsetX = 0;         // the printer's physical offsets in device pixels
    int physOffsetY = 0;
};

struct SheetResult {
    bool printed = false;        // a document was finished and handed to the device
    double printedTotal = 0;     // the sum of the amounts printed
};

SheetResult PrintA4Full(prn::PrinterObject& printer, const SheetRequest& request);
SheetResult PrintA4Simple(prn::PrinterObject& printer, const SheetRequest& request);
SheetResult PrintHisago(prn::PrinterObject& printer, const SheetRequest& request);

} // namespace printing
