// Any bytes as an import file: decoded line by line, every line cut into cells, the headings read
// from the first line. Checks that the pieces put back together give each line again, that no line
// holds a line end or passes the cell limit, that the damaged and the undecided lines are named in
// order, and that the heading reader agrees with the whole file's first line.
#include "import/ImportFile.h"

#include <QBuffer>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const importer::DecodedLines decoded = importer::decodeImportLines(bytes);
    const QStringList& lines = decoded.lines;
    qsizetype length = 0;
    for (const QString& line : lines) {
        if (line.contains(QLatin1Char('\n')) || line.contains(QLatin1Char('\r')))
            __builtin_trap();
        length += line.size();
        const std::optional<QStringList> cells = importer::cutLine(line);
        if (cells) {
            if (cells->isEmpty() || cells->size() > importer::kMaxCells || cells->join(QLatin1Char('\t')) != line)
                __builtin_trap();
            if (!importer::cellAt(*cells, 0).isEmpty() || !importer::cellAt(*cells, importer::kMaxCells + 1).isEmpty())
                __builtin_trap();
        } else if (line.count(QLatin1Char('\t')) < importer::kMaxCells) {
            __builtin_trap();
        }
    }
    // Every byte gives at most one UTF-16 unit.
    if (length > bytes.size())
        __builtin_trap();
    for (const QList<int>* named : {&decoded.damaged, &decoded.undecided}) {
        int previous = 0;
        for (int n : *named) {
            if (n <= previous || n > lines.size() || (named == &decoded.undecided && decoded.damaged.contains(n)))
                __builtin_trap();
            previous = n;
        }
    }
    if (!lines.isEmpty() && importer::headingsOf(lines.first()).join(QLatin1Char('\t')) != lines.first())
        __builtin_trap();

    // Inputs smaller than the heading reader's block are read whole by it, so it must see what the
    // whole file's decoding sees.
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const std::optional<QStringList> headings = importer::readHeadings(buffer);
    const bool readable = !lines.isEmpty() && decoded.damaged.value(0) != 1 && decoded.undecided.value(0) != 1;
    if (size < 64 * 1024 && (headings.has_value() != readable || (headings && *headings != importer::headingsOf(lines.first()))))
        __builtin_trap();
    return 0;
}
