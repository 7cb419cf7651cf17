#include "import/MappingFile.h"

#include "import/ImportFile.h"
#include "platform/CodePage.h"

namespace importer {

std::optional<QList<Pair>> parseMapping(const QByteArray& bytes, int n)
{
    // The file is ours and written in code page 932. Its lines are split before they are decoded,
    // so a damaged line (a stray lead byte would take the line feed as its second byte) stays one
    // damaged entry, its bad bytes read as U+FFFD, and every other pair keeps its place.
    const QList<QByteArrayView> lines = byteLines(bytes);
    if (n < 0 || lines.size() < 2 * static_cast<qsizetype>(n))
        return std::nullopt;
    QList<Pair> pairs;
    pairs.reserve(n);
    for (int i = 0; i < n; ++i)
        pairs.append({cp932::decode(lines.at(2 * i)), cp932::decode(lines.at(2 * i + 1))});
    return pairs;
}

QByteArray formatMapping(const QList<Pair>& pairs)
{
    QByteArray out;
    for (const Pair& p : pairs) {
        out += cp932::encode(p.first);
        out += "\r\n";
        out += cp932::encode(p.second);
        out += "\r\n";
    }
    return out;
}

} // namespace importer
