#include "app/ListExport.h"

namespace listexport {

QString productListSql(bool byKey)
{
    return byKey ? QStringLiteral("SELECT 仕入商品.品名 AS 品名, 仕入商品.単位 AS 単位, 仕入商品.単価 AS 単価 From 仕入商品  ORDER BY 仕入商品.品名ID ASC")
                 : QStringLiteral("SELECT 仕入商品.品名 AS 品名, 仕入商品.単位 AS 単位, 仕入商品.単価 AS 単価 From 仕入商品  ORDER BY 仕入商品.品名 ASC");
}

bool exportList(const QString&, const QVariantList&, QWidget*)
{
    return false;
}

} // namespace listexport
