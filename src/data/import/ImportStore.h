#pragma once
// Storing an import: the data lines of a file, cut and mapped, become categories, products and
// count lines. No widget here; the dialogs gather the file and the questions' answers, call these
// and show the outcome.
#include "import/Mapping.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace importer {

// Reads a cell as a number the way the spreadsheet wrote it: blanks around it, the system's
// decimal mark, grouped digits. Nothing for anything else or a value beyond a Double.
std::optional<double> readNumber(const QString& cell);
// A price as a product stores it: rounded to a whole number, halves to even; nothing when it
// leaves the 32-bit range.
std::optional<double> wholeNumber(double value);

struct Outcome {
    int lines = 0;        // count lines added
    int categories = 0;   // categories added
    int products = 0;     // products added
    int updated = 0;      // known products updated (product import)
    bool failed = false;  // the run stopped at a line; what came before it is stored
    int failedLine = 0;   // 1 = the first data line; 0 when the run failed before any line
    QString error;        // why, in the user's words (which cell, which value)
};

// Told the number of lines done so far; called after every line (the caller decides how often
// to repaint).
using Progress = std::function<void(int done)>;

// Adds one count line per data line for the closing date, with the categories and products the
// lines name and the database lacks, the cells read through the count mapping. One transaction: a
// crash leaves the file as it was; a line that fails ends the run and what was stored before it is
// kept.
Outcome storeCountLines(const QStringList& dataLines, const QDate& date, const Mapping& mapping,
                        const Progress& progress = {});
// Adds the products the lines name and the database lacks, the cells read through the product
// mapping; with updateKnown, sets unit and price of the products it holds. Same transaction and
// failure rules.
Outcome storeProducts(const QStringList& dataLines, const Mapping& mapping, bool updateKnown,
                      const Progress& progress = {});
// The same with the fields' cell numbers given as Mapping::columns gives them.
Outcome storeCountLines(const QStringList& dataLines, const QDate& date, const QList<int>& columns,
                        const Progress& progress = {});
Outcome storeProducts(const QStringList& dataLines, const QList<int>& columns, bool updateKnown,
                      const Progress& progress = {});

// The name indexes the lookups need (products by 品名, categories by 項目分類名), added to a
// file made before they existed. Adds no row and changes none. Throws db::DbError.
void ensureNameIndexes();

} // namespace importer
