#pragma once
// The printer setup window's data side: the paper codes and names a printer offers, its current
// paper and paper source, the largest number of copies, and the user's default paper of a queue.
// Widget-free; the window only shows what these return.
#include <QList>
#include <QPageSize>
#include <QPointF>
#include <QSize>
#include <QString>
#include <optional>

namespace prn {
class PrinterObject;
}

namespace printing::setup {

inline constexpr int kUserPaper = 256;   // DMPAPER_USER: the first code of a driver's own sizes

struct Paper {
    int code = 0;       // DMPAPER code; kUserPaper and up for sizes without a standard code
    QString name;       // the driver's name
    QString media;      // the spooler's media name; empty for the PDF entry
};

struct PaperInfo {
    bool ok = false;            // false: the printer could not be asked (why in error)
    QString error;
    QList<Paper> papers;        // in the driver's order
    int maxCopies = -1;
    int currentCode = 0;        // the current paper size
    QSize physicalPx;           // the current paper, whole sheet in device pixels
    QPointF dpi;
    int binCode = 0;            // the current paper source (DMBIN code); 0 when it has none
    bool paperChoice = false;   // a paper chosen here can be written as the printer's default
};

// The name of a paper code: the DMPAPER constant's name without its prefix for codes 1 to 118
// (56 has none), "UNKNOWN(n)" for any other code below 256 and "USER(n)" from 256 on.
QString paperCodeName(int code);
// The text of the current paper size; user sizes are measured from the whole sheet in millimetres.
QString currentPaperText(int code, const QSize& physicalPx, const QPointF& dpi);
// The sentence for a paper source; empty for a code without one.
QString paperSourceText(int binCode);
QString copiesText(int maxCopies);

// The papers of the PDF entry: the standard sizes that have a DMPAPER code, by code.
QList<Paper> pdfPapers();
// The DMPAPER code of a paper size given in hundredths of a millimetre; 0 when it has none.
int standardCode(int width, int length);

// Everything the window shows about the printer.
PaperInfo readPaperInfo(const prn::PrinterObject& printer);

// Makes the paper (by its spooler media name) the user's default for the printer. False, and
// nothing written, for a printer that takes no paper size (the PDF entry, a raw queue) or when
// the paper is not one it offers.
bool writeDefaultPaper(const QString& deviceName, const QString& media);
// Whether the printer is there now (the PDF entry always is).
bool printerExists(const QString& deviceName);
// The media name of the printer's paper of the given size; empty when it offers none.
QString mediaOf(const PaperInfo& info, const QPageSize& size);

} // namespace printing::setup
