#pragma once
// The import file as the spreadsheets save it: tab-separated text, one heading line, then data
// lines. Nothing here touches a window or the database, so every rule can be tried on plain bytes.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace import {

// A data line holds at most this many cells; cell numbers run from 1 to it.
inline constexpr int kMaxCells = 1000;

// The file's text. A file that starts with a UTF-8 byte-order mark, or that is valid UTF-8 and
// holds non-ASCII text, is UTF-8 (what the Linux spreadsheets save); anything else is code page
// 932. Bytes valid in neither give nothing, so garbled names never reach the database.
std::optional<QString> decodeImportText(const QByteArray& bytes);

// Lines end with CR LF; a lone LF ends a line too. A line end at the very end of the text does not
// start another line, so an empty text has no line and "a\r\n\r\n" has two ("a" and "").
QStringList splitLines(const QString& text);

// Every line of the file (heading line first), or nothing when it cannot be read or decoded.
std::optional<QStringList> readImportFile(const QString& path);

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
// The headings of a file's first line, or nothing when the file cannot be read, cannot be decoded
// or is empty.
std::optional<QStringList> readHeadings(const QString& path);

// The first n characters, as the fields store them; a character outside the basic plane is never
// cut in half.
QString firstChars(const QString& text, int n);

} // namespace import
