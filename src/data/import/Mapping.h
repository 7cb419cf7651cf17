#pragma once
// Which file column feeds which target field, per kind of import: a Mapping value, read from and
// saved to a mapping file beside the program, edited by the mapping window and handed to the run.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

#include "import/MappingFile.h"

namespace importer {

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

// One kind's mapping: for each target field i (1..N of its layout), the heading and the column
// number of the file column assigned to it. The column is kept as text, as the file holds it ("0"
// for none), so a mapping read and saved again is written as it was read.
class Mapping {
public:
    // Every field unassigned.
    explicit Mapping(Kind kind);
    // The fields from the pairs in order (heading, column text); fields the pairs lack are
    // unassigned, pairs beyond the last field are left out.
    Mapping(Kind kind, const QList<Pair>& pairs);

    Kind kind() const { return m_kind; }
    int fieldCount() const { return static_cast<int>(m_fields.size()); }
    // The heading and the column text of field 1..N; empty for a field out of range.
    QString heading(int field) const;
    QString columnText(int field) const;
    // The cell number of a field, 0 for none: a column text that is no whole number in 0..1000
    // reads as no column.
    int column(int field) const;
    // The cell numbers of every field: index i holds field i's column, index 0 unused (0).
    QList<int> columns() const;

    // Assigning and clearing a target field (1..N); a field out of range is left alone.
    void assign(int field, const QString& heading, int column);
    void clear(int field);

    // The pairs as the mapping file stores them: an unassigned field (no heading) as an empty
    // heading and "0".
    QList<Pair> filePairs() const;

    bool operator==(const Mapping&) const = default;

private:
    Kind m_kind;
    QList<Pair> m_fields;   // field i at index i - 1
};

// The mapping file that is read: the one a save writes (in the program folder, or in the per-user
// folder when the program folder is not writable) when it exists, else the one beside the program,
// else the one in the per-user folder; when none exists, where a save writes.
QString mappingPath(Kind kind);
bool mappingExists(Kind kind);

// The file's bytes for a mapping: 2 × N lines, CR LF each, code page 932; an unassigned field is an
// empty line and "0".
QByteArray mappingBytes(const Mapping& mapping);

// The mapping of a kind as its file holds it. Nothing when the file is missing or cannot be read
// whole.
std::optional<Mapping> readMapping(Kind kind);
// Replaces the mapping file of the mapping's kind in the writable folder: written to a temporary
// file and renamed over the old one, so a failed save (a full disk) leaves the old mapping whole.
// False on failure.
bool saveMapping(const Mapping& mapping);

} // namespace importer
