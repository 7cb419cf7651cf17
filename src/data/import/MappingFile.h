#pragma once
// The mapping file's text: for each target field in order, a line with the heading and a line with
// the column number, in code page 932, each ended by CR LF.
#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>
#include <utility>

namespace importer {

using Pair = std::pair<QString, QString>;   // heading, column number as text

// The first n pairs of a mapping file's bytes: each line taken whole (a heading may hold commas or
// quotes), CR LF or LF; a line that cannot be decoded keeps its place with U+FFFD for its bad
// bytes. Nothing when the file holds fewer than 2 × n lines.
std::optional<QList<Pair>> parseMapping(const QByteArray& bytes, int n);
// The bytes of the pairs, written as they stand (no quotes, no escaping).
QByteArray formatMapping(const QList<Pair>& pairs);

} // namespace importer
