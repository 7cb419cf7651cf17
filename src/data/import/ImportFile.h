#pragma once
// The import file as the spreadsheets save it: tab-separated text, one heading line, then data
// lines. Nothing here touches a window or the database, so every rule can be tried on plain bytes.
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class QIODevice;

namespace importer {

// A data line holds at most this many cells; cell numbers run from 1 to it.
inline constexpr int kMaxCells = 1000;

enum class TextEncoding { Cp932, Utf8, Utf16LE, Utf16BE };

// The name a message gives the encoding ("シフトJIS", "UTF-8", "UTF-16").
QString encodingName(TextEncoding encoding);

// An import file's lines, decoded.
struct DecodedLines {
    TextEncoding encoding = TextEncoding::Cp932;
    QStringList lines;     // the heading line first; bytes that could not be decoded read as U+FFFD
    QList<int> damaged;    // numbers of the lines that could not be decoded (1 = the heading line)
    QList<int> undecided;  // numbers of the lines that read as text in the other encoding too; such a
                           // line holds its reading in the file's encoding
};

// Decodes the bytes of an import file line by line. A byte-order mark names the encoding (UTF-8,
// UTF-16 little- or big-endian). Without one the file is code page 932, unless its lines read as
// UTF-8 hold what a Japanese shop's file holds (kana, kanji, full-width forms, the symbols of the
// Japanese code pages): bytes valid in both encodings prove neither, and half-width kana in code
// page 932 often make valid UTF-8 by accident. A line whose own bytes read as text in the other
// encoding and as garbled signs in the file's (a line added by another editor) is read as it was
// saved; one that reads as text in both and disagrees with the file is undecided.
// Lines end with CR LF, LF or CR alone. A line end at the very end does not start another line,
// so no bytes give no line and "a\r\n\r\n" gives "a" and "".
DecodedLines decodeImportLines(QByteArrayView bytes);

// Every line of the file (heading line first), or nothing when no file is named, it cannot be
// opened, or a line cannot be decoded or is undecided; *why then tells which line and why, for the
// failure message.
std::optional<QStringList> readImportFile(const QString& path, QString* why = nullptr);

// The cells of a data line, cell 1 first. Two TABs in a row make an empty cell, nothing is trimmed
// or unquoted, an empty line is one empty cell. More than kMaxCells cells give nothing.
std::optional<QStringList> cutLine(const QString& line);

// Cell number column (from 1) of a cut line. Column 0 stands for no column and a cell the line
// lacks reads empty too, never a value left over from another line.
inline QString cellAt(const QStringList& cells, int column)
{
    return (column >= 1 && column <= cells.size()) ? cells.at(column - 1) : QString();
}

// The entries of the heading list, in column order (entry k is column k).
QStringList headingsOf(const QString& headingLine);
// The headings of a file's first line, read alone (the rest of the file is neither read nor
// checked), or nothing when the file cannot be read, is empty or its first line cannot be decoded
// or is undecided.
std::optional<QStringList> readHeadings(const QString& path);
std::optional<QStringList> readHeadings(QIODevice& file);

// A failure message's detail for line number line of the file (1 = the heading line).
QString atLine(int line, const QString& why);
// Why a line of more than kMaxCells cells is refused.
QString tooManyCells();

// The lines of 8-bit text as views into it, split at CR LF, LF or CR alone before anything is
// decoded (neither CR nor LF is ever part of a code page 932 or UTF-8 character).
QList<QByteArrayView> byteLines(QByteArrayView bytes);

} // namespace importer
