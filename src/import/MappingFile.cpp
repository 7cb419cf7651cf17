#include "import/MappingFile.h"

#include "import/ImportFile.h"
#include "platform/CodePage.h"

namespace import {

std::optional<QList<Pair>> parseMapping(const QByteArray& bytes, int n)
{
    // The file is ours and written in code page 932; a byte the code page lacks reads as U+FFFD
    // rather than dropping the line, so the pairs never shift.
    const QStringList lines = splitLines(cp932::decode(bytes));
    if (n < 0 || lines.size() < 2 * static_cast<qsizetype>(n))
        return std::nullopt;
    QList<Pair> pairs;
    pairs.reserve(n);
    for (int i = 0; i < n; ++i)
        pairs.append({lines.at(2 * i), lines.at(2 * i + 1)});
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

} // namespace import
