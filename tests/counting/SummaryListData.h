#pragma once
// A prepared count for the summary list's tests.
//
// Categories 1 文具, 2 食品, 3 文具 (a second category of the same name), 4 工具 (deleted after the
// lines were entered). Products 1 ボールペン, 2 ノート, 3 りんご, 4 ハンマー, 5 消しゴム, 6 ノート.
// Lines of kDate (ID: category, 品名 as typed, 単価, 価格, 品名ID):
//   1: 1 ボールペン 100 200 1      2: 3 ノート 200 400 6        3: 2 りんご(旧) 50 500 3
//   4: 4 ハンマー 1000 1000 4      5: 2 みかん 0 0 99 (no such product)
//   7: 1 消しゴム 0 0 5            8: 1 ノート 100 100 2
// and line 6 of kOther. Totals of kDate: 7 lines, 2,200 (the deleted category's line included).
#include "platform/Db.h"

#include <QDate>

namespace summarydata {

inline const QDate kDate(2026, 3, 31);
inline const QDate kOther(2025, 3, 31);

inline void line(int id, const QDate& d, int koumoku, const QString& name, double qty, double price, double amount,
                 int productId)
{
    db::exec("INSERT INTO 棚卸マスター (ID, 日付, 項目ID, 品名, 数量, 単位, 単価, 価格, 備考, 品名ID) "
             "VALUES (?, ?, ?, ?, ?, '個', ?, ?, '', ?)",
             {id, db::isoDate(d), koumoku, name, qty, price, amount, productId});
}

inline void fill()
{
    db::exec("INSERT INTO 項目分類 (項目ID, 項目分類名) VALUES (1, '文具'), (2, '食品'), (3, '文具'), (4, '工具')");
    db::exec("INSERT INTO 仕入商品 (品名ID, 品名) VALUES (1, 'ボールペン'), (2, 'ノート'), (3, 'りんご'), "
             "(4, 'ハンマー'), (5, '消しゴム'), (6, 'ノート')");
    line(1, kDate, 1, QStringLiteral("ボールペン"), 2, 100, 200, 1);
    line(3, kDate, 2, QStringLiteral("りんご(旧)"), 10, 50, 500, 3);
    line(2, kDate, 3, QStringLiteral("ノート"), 2, 200, 400, 6);
    line(4, kDate, 4, QStringLiteral("ハンマー"), 1, 1000, 1000, 4);
    line(5, kDate, 2, QStringLiteral("みかん"), 3, 0, 0, 99);
    line(8, kDate, 1, QStringLiteral("ノート"), 1, 100, 100, 2);
    line(7, kDate, 1, QStringLiteral("消しゴム"), 5, 0, 0, 5);
    line(6, kOther, 1, QStringLiteral("ボールペン"), 1, 9999, 9999, 1);
    db::exec("DELETE FROM 項目分類 WHERE 項目ID = 4");
}

} // namespace summarydata
