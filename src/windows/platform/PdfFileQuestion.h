#pragma once
// The question for the PDF entry's output file. The print dialog asks it before the job, with the
// normal pointer, and hands the name down to the printer (PdfFilePrinter::setFileName).
#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace prn {

class PrinterObject;

// Asks for the PDF file to write (through the dialog seam): a name without an extension gets
// ".pdf"; an existing file is replaced only when the user says so. Nothing when the user
// cancelled. Asked under the hourglass, it shows the normal pointer and puts the hourglass back.
std::optional<QString> askPdfFileName(QWidget* parent = nullptr);

// When the printer writes a file it was not given (the PDF entry), asks for the file of its next
// job and hands the name down. False when the user cancelled: nothing is to be printed. True for
// every other printer, and without asking when drawsPages (called only for a file printer) says
// the job will print nothing.
bool chooseOutputFile(PrinterObject& printer, QWidget* parent = nullptr, const std::function<bool()>& drawsPages = {});
// Forgets a name handed down and not used, so that a later job never writes to it unasked.
void forgetOutputFile(PrinterObject& printer);

} // namespace prn
