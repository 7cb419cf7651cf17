#include "counting/SummaryList.h"

#include "platform/Db.h"

#include <QSqlError>
#include <QSqlQuery>

namespace counting {

namespace {

const QString kAll = QStringLiteral("棚卸をすべて表示");
const QString kUnpriced = QStringLiteral("単価未入力の棚卸");
const QString kCategorySum = QStringLiteral("項目/分類別集計表");
const QString kProductSum = QStringLiteral("品名別集計表");
const QString kOrphanCategory = QStringLiteral("項目/分類情報に登録されていない棚卸");
const QString kOrphanProduct = QStringLiteral("品名情報に登録されていない棚卸");
const QString kProductList = QStringLiteral("品名リスト");

// Every line of the date joined with its category; the tail picks and orders the lines.
const QString kLinesHead = QStringLiteral(
    "SELECT 棚卸マスター.項目ID, 項目分類.項目分類名, 棚卸マスター.品名, 棚卸マスター.数量, 棚卸マスター.単位, "
    "棚卸マスター.単価, 棚卸マスター.価格, 棚卸マスター.備考, 棚卸マスター.備考1, 棚卸マスター.品名ID, "
    "棚卸マスター.区分調整 FROM  棚卸マスター, 項目分類 "
    "WHERE 棚卸マスター.項目ID = 項目分類.項目ID AND 棚卸マスター.日付 = ?");
const QString kAllTail = QStringLiteral(" ORDER BY 棚卸マスター.ID ASC");
const QString kUnpricedTail = QStringLiteral(" AND 棚卸マスター.単価 = 0 ORDER BY 棚卸マスター.ID ASC");

const QString kExportHead = QStringLiteral(
    "SELECT 項目分類.項目分類名 AS 項目分類, 棚卸マスター.品名 AS 品名, 棚卸マスター.数量 AS 数量, "
    "棚卸マスター.単位 AS 単位, 棚卸マスター.単価 AS 単価, 棚卸マスター.価格 AS 金額 "
    "From 棚卸マスター, 項目分類 Where 棚卸マスター.項目ID = 項目分類.項目ID AND 棚卸マスター.日付 = ?");

} // namespace

const QStringList& listModeNames()
{
    static const QStringList names{kCategorySum, kOrphanCategory, kProductSum, kOrphanProduct, kUnpriced, kAll};
    return names;
}

QString listModeName(ListMode mode)
{
    switch (mode) {
    case ListMode::All: return kAll;
    case ListMode::Unpriced: return kUnpriced;
    case ListMode::CategorySum: return kCategorySum;
    case ListMode::ProductSum: return kProductSum;
    case ListMode::OrphanCategory: return kOrphanCategory;
    case ListMode::OrphanProduct: return kOrphanProduct;
    case ListMode::ProductList: return kProductList;
    }
    return kAll;
}

ListMode listModeForText(const QString& text)
{
    static const QList<ListMode> named{ListMode::ProductList, ListMode::OrphanCategory, ListMode::OrphanProduct,
                                       ListMode::Unpriced,    ListMode::CategorySum,    ListMode::ProductSum};
    for (ListMode m : named)
        if (text == listModeName(m))
            return m;
    return ListMode::All;
}

bool isOrphanMode(ListMode mode)
{
    return mode == ListMode::OrphanCategory || mode == ListMode::OrphanProduct;
}

ListLayout listLayout(ListMode mode)
{
    switch (mode) {
    case ListMode::All:
        return {{0, 1200, 3800, 1200, 600, 1200, 1200, 1200, 1200}, {3, 5, 6}, -1, true, true};
    case ListMode::Unpriced:
        return {{0, 1200, 3800, 1200, 600, 1200, 1200, 1200, 1200}, {3, 5, 6}, -1, false, true};
    case ListMode::CategorySum:
    case ListMode::ProductSum:
        return {{-1, 4200, 3000, 1200}, {2, 3}, 0, true, false};
    case ListMode::ProductList:
        // No export: this list has no workbook of its own.
        return {{0, 1200, 3800, 2000}, {3}, 0, true, false};
    case ListMode::OrphanCategory:
    case ListMode::OrphanProduct:
        return {{}, {}, -1, false, false};
    }
    return {};
}

ListSql listQuery(ListMode mode, const QDate& closingDate)
{
    const QVariantList date{db::isoDate(closingDate)};
    switch (mode) {
    case ListMode::All:
        return {kLinesHead + kAllTail, date};
    case ListMode::Unpriced:
        return {kLinesHead + kUnpricedTail, date};
    // The sums are taken by key first and then by the name the key has in its master now: the
    // same rows as grouping every line by name, without comparing a name for each line.
    case ListMode::CategorySum:
        return {QStringLiteral("SELECT t.日付, 項目分類.項目分類名, SUM(t.合計) AS 合計, SUM(t.集計数) AS 集計数 "
                               "FROM (SELECT MIN(日付) AS 日付, 項目ID, SUM(価格) AS 合計, COUNT(*) AS 集計数 "
                               "FROM 棚卸マスター WHERE 日付 = ? GROUP BY 項目ID) AS t, 項目分類 "
                               "WHERE 項目分類.項目ID = t.項目ID GROUP BY 項目分類.項目分類名 ORDER BY SUM(t.合計) DESC"),
                date};
    case ListMode::ProductSum:
        return {QStringLiteral("SELECT t.日付, 仕入商品.品名, SUM(t.合計) AS 合計, SUM(t.集計数) AS 集計数 "
                               "FROM (SELECT MIN(日付) AS 日付, 品名ID, SUM(価格) AS 合計, COUNT(*) AS 集計数 "
                               "FROM 棚卸マスター WHERE 日付 = ? GROUP BY 品名ID) AS t, 仕入商品 "
                               "WHERE 仕入商品.品名ID = t.品名ID GROUP BY 仕入商品.品名 ORDER BY 仕入商品.品名"),
                date};
    case ListMode::ProductList:
        return {QStringLiteral("SELECT 棚卸マスター.日付, 棚卸マスター.ID, 項目分類.項目分類名, 棚卸マスター.品名, "
                               "棚卸マスター.単価 AS 参考単価 From 項目分類, 棚卸マスター "
                               "Where 項目分類.項目ID = 棚卸マスター.項目ID AND 日付 = ? ORDER BY 棚卸マスター.ID"),
                date};
    case ListMode::OrphanCategory:
    case ListMode::OrphanProduct:
        break;
    }
    return {};
}

std::optional<ListSql> exportQuery(ListMode mode, const QDate& closingDate)
{
    const QVariantList date{db::isoDate(closingDate)};
    if (mode == ListMode::Unpriced)
        return ListSql{kExportHead + kUnpricedTail, date};
    if (mode == ListMode::All)
        return ListSql{kExportHead + kAllTail, date};
    return std::nullopt;
}

std::optional<PrintHandOver> printHandOver(ListMode mode, const QDate& closingDate)
{
    switch (mode) {
    case ListMode::CategorySum:
        return PrintHandOver{QStringLiteral("DialogTanaMoto3"), true, closingDate,
                             QStringLiteral("棚卸表 (項目/分類別集計)"), QStringLiteral("項目/分類名")};
    case ListMode::ProductSum:
        return PrintHandOver{QStringLiteral("DialogTanaMoto3"), true, closingDate,
                             QStringLiteral("棚卸表 (品名別集計)"), QStringLiteral("品名")};
    case ListMode::ProductList:
        return PrintHandOver{QStringLiteral("DialogTanaMoto2"), false, {}, {}, {}};
    case ListMode::All:
        return PrintHandOver{QStringLiteral("DialogTanaMoto1"), false, {}, {}, {}};
    default:
        return std::nullopt;
    }
}

bool SummaryListModel::show(const QString& sql, const QVariantList& args)
{
    QSqlQuery q(db::connection());
    bool ok = q.prepare(sql);
    for (const QVariant& a : args)
        q.addBindValue(a);
    ok = ok && q.exec();
    if (!ok) {
        clear();
        return false;
    }
    // Only the first rows are read here; the rest come in as the grid asks for them.
    setQuery(std::move(q));
    return !lastError().isValid();
}

Qt::ItemFlags SummaryListModel::flags(const QModelIndex& index) const
{
    return QSqlQueryModel::flags(index) & ~Qt::ItemIsEditable;
}

} // namespace counting
