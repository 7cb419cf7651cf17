#include "counting/NarrowingLists.h"

namespace counting {

NarrowQuery narrowQuery(NarrowList list)
{
    switch (list) {
    case NarrowList::EntryCategory:
        return {QStringLiteral("SELECT * FROM 項目分類 WHERE 項目ID >= 1 AND (項目分類名 LIKE '%' || ? || '%') ORDER BY 項目ID"),
                QStringLiteral("項目分類名"), QStringLiteral("項目ID")};
    case NarrowList::CorrectionCategory:
    case NarrowList::DialogCategory:
        return {QStringLiteral("SELECT * FROM 項目分類 WHERE (項目分類名 LIKE '%' || ? || '%') ORDER BY 項目ID"),
                QStringLiteral("項目分類名"), QStringLiteral("項目ID")};
    case NarrowList::EntryProduct:
    case NarrowList::CorrectionProduct:
        return {QStringLiteral("SELECT * FROM 仕入商品 WHERE (品名 LIKE '%' || ? || '%') ORDER BY 品名 ASC"),
                QStringLiteral("品名"), QStringLiteral("品名ID")};
    case NarrowList::EntryUnit:
        return {QStringLiteral("SELECT * FROM 単位 WHERE (単位 LIKE '%' || ? || '%') ORDER BY 単位 ASC"),
                QStringLiteral("単位"), QStringLiteral("単位ID")};
    }
    return {};
}

} // namespace counting
