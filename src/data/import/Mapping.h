#pragma once
// Which file column feeds which target field, per kind of import: kept in the shared arrays
// global::ImportFieldNames / ImportFieldColumns and in a mapping file beside the program.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

#include "import/MappingFile.h"

namespace import {

enum class Kind { Count, Product };

struct MappingLayout {
    QString fileName;          // the mapping file's name beside the program
    QStringList fields;        // target fields in row order (field 1 first)
    int requiredField;         // the field that must be assigned (品名)
    QString gridHeading;       // heading of the grid's first column
    QString helpLine;          // the help text's line that names the target
};
const MappingLayout& layoutOf(Kind kind);
int fieldCount(Kind kind);

// The mapping file that is read: the one a save writes (in the program folder, or in the per-user
// folder when the program folder is not writable) when it exists, else the one beside the program,
// else the one in the per-user folder; when none exists, where a save writes.
QString mappingPath(Kind kind);
bool mappingExists(Kind kind);

// The file's bytes for the current arrays: 2 × N lines, CR LF each, code page 932; an unassigned
// field is an empty line and "0" (its column is set to "0" in the arrays as well).
QByteArray mappingBytes(Kind kind);

// Loads the mapping file into the shared arrays. False when the file is missing or cannot be read
// whole; the arrays are then left as they were.
bool loadMapping(Kind kind);
// Replaces the mapping file in the writable folder with the arrays' current mapping: written to a
// temporary file and renamed over the old one, so a failed save (a full disk) leaves the old
// mapping whole. False on failure.
bool saveMapping(Kind kind);

// The cell numbers of the target fields: index i holds field i's column (0 for none), index 0
// unused. A column text that is no whole number in 0..1000 reads as no column.
QList<int> fieldColumns(Kind kind);

// Assigning and clearing a target field (1..N) in the shared arrays.
void assignField(int field, const QString& heading, int column);
void clearField(int field);

} // namespace import
