// Any bytes as a mapping file of the count (7 fields) and the product import (3 fields). Checks that
// what was read, written again, reads back the same.
#include "import/MappingFile.h"
#include "platform/CodePage.h"

#include <cstddef>
#include <cstdint>

namespace {
void check(const QByteArray& bytes, int n)
{
    const std::optional<QList<importer::Pair>> pairs = importer::parseMapping(bytes, n);
    if (!pairs)
        return;
    if (pairs->size() != n)
        __builtin_trap();
    for (const importer::Pair& p : *pairs) {
        bool ok = true;
        cp932::encode(p.first, &ok);
        if (!ok)
            return;   // a character the code page lacks is written as '?'
        cp932::encode(p.second, &ok);
        if (!ok)
            return;
    }
    const std::optional<QList<importer::Pair>> again = importer::parseMapping(importer::formatMapping(*pairs), n);
    if (!again || *again != *pairs)
        __builtin_trap();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    check(bytes, 7);
    check(bytes, 3);
    return 0;
}
