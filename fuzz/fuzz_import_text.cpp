// Any bytes as an import file: decoded, split into lines, every line cut into cells. Checks that the
// pieces put back together give the text again and that no line passes the cell limit.
#include "import/ImportFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<QString> text = import::decodeImportText(bytes);
    if (!text)
        return 0;
    const QStringList lines = import::splitLines(*text);
    qsizetype length = 0;
    for (const QString& line : lines) {
        if (line.contains(QLatin1Char('\n')))
            __builtin_trap();
        length += line.size();
        const std::optional<QStringList> cells = import::cutLine(line);
        if (cells) {
            if (cells->isEmpty() || cells->size() > import::kMaxCells || cells->join(QLatin1Char('\t')) != line)
                __builtin_trap();
            if (!import::cellAt(*cells, 0).isEmpty() || !import::cellAt(*cells, import::kMaxCells + 1).isEmpty())
                __builtin_trap();
        } else if (line.count(QLatin1Char('\t')) < import::kMaxCells) {
            __builtin_trap();
        }
    }
    if (length > text->size())
        __builtin_trap();
    if (!lines.isEmpty() && import::headingsOf(lines.first()).join(QLatin1Char('\t')) != lines.first())
        __builtin_trap();
    return 0;
}
