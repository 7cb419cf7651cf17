#include "counting/EntryLine.h"

#include "common/global.h"
#include "counting/CountLineQueries.h"
#include "platform/Db.h"

#include <cmath>

namespace counting {

namespace {
QVariant key(long k)
{
    return QVariant::fromValue<qlonglong>(k);
}

constexpr int kPageRows = 256;
constexpr int kPagesKept = 8;
} // namespace

double lineAmount(double price, double quantity)
{
    const double amount = std::trunc(price * quantity);
    return amount == 0.0 ? 0.0 : amount;   // no negative zero for a small negative amount
}

long addEntryLine(const EntryLine& line)
{
    // An infinite amount would be stored as such and turn every total of the date into "inf".
    if (!std::isfinite(line.quantity) || !std::isfinite(line.price) || !amountFits(line.price, line.quantity))
        throw db::DbError(QStringLiteral("quantity, price or amount out of range"));

    // A half-entered line would leave the product master out of step with the lines.
    db::Transaction tx;

    if (!db::scalar(QStringLiteral("SELECT 単位ID FROM 単位 WHERE (単位 = ?)"), {line.unit}).isValid()) {
        const long unitKey = global::KeyAfter(global::GetMaxTaniID());
        db::exec(QStringLiteral("INSERT INTO 単位 (単位ID, 単位) VALUES (?, ?)"), {key(unitKey), line.unit});
    }

    // The product master carries the price and unit of the last line entered for the product.
    long productKey = 0;
    const QVariant found =
        db::scalar(QStringLiteral("SELECT 品名ID FROM 仕入商品 WHERE (品名 = ?) ORDER BY 品名ID"), {line.product});
    if (found.isValid()) {
        productKey = static_cast<long>(found.toLongLong());
        db::exec(QStringLiteral("UPDATE 仕入商品 SET 単価 = ?, 単位 = ? WHERE 品名ID = ?"),
                 {line.price, line.unit, key(productKey)});
    } else {
        productKey = global::KeyAfter(global::GetMaxShohinID());
        db::exec(QStringLiteral("INSERT INTO 仕入商品 (品名ID, 品名, 単価, 単位) VALUES (?, ?, ?, ?)"),
                 {key(productKey), line.product, line.price, line.unit});
    }

    // Row 0 is never looked up by name: "未区分" typed is a category of its own.
    const qint64 categoryKey = line.category.isEmpty() ? 0 : registerCategory(line.category);

    const long lineId = global::KeyAfter(global::GetMaxTanaID());
    db::exec(QStringLiteral("INSERT INTO 棚卸マスター (ID, 日付, 項目ID, 品名, 数量, 単位, 単価, 価格, 備考, 品名ID, 備考1) "
                            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
             {key(lineId), db::isoDate(line.date), key(categoryKey), line.product, line.quantity, line.unit,
              line.price, lineAmount(line.price, line.quantity), line.memo, key(productKey),
              line.price == 0.0 ? QVariant(QStringLiteral("単価未入力")) : QVariant()});
    tx.commit();
    return lineId;
}

// ---------------------------------------------------------------------------------------------

EntryLinesModel::EntryLinesModel(QObject* parent) : QAbstractTableModel(parent)
{
}

void EntryLinesModel::show(const LineList& list, std::optional<qint64> size)
{
    beginResetModel();
    m_pages.clear();
    m_recent.clear();
    m_list = list;
    m_size = 0;
    m_fields.clear();
    m_dateColumn = -1;
    m_rightColumns.clear();
    try {
        const QSqlRecord fields = db::connection().record(QStringLiteral("棚卸マスター"));
        for (int c = 0; c < fields.count(); ++c) {
            const QString name = fields.fieldName(c);
            m_fields << name;
            if (name == QStringLiteral("日付"))
                m_dateColumn = c;
            if (name == QStringLiteral("数量") || name == QStringLiteral("単価") || name == QStringLiteral("価格"))
                m_rightColumns << c;
        }
        m_size = size ? *size : countLines(m_list);
    } catch (...) {
        m_size = 0;
        endResetModel();
        throw;
    }
    endResetModel();
}

void EntryLinesModel::release()
{
    beginResetModel();
    m_pages.clear();
    m_recent.clear();
    m_size = 0;
    endResetModel();
}

void EntryLinesModel::dropPagesFrom(int row)
{
    const qint64 firstPage = row / kPageRows;
    for (auto it = m_pages.begin(); it != m_pages.end();) {
        if (it.key() >= firstPage) {
            m_recent.removeAll(it.key());
            it = m_pages.erase(it);
        } else {
            ++it;
        }
    }
}

void EntryLinesModel::appendLine(qint64 id, const QDate& date)
{
    if (date != m_list.date)
        m_list.extraIds << id;
    const int row = static_cast<int>(m_size);
    // Only the new line is read: it joins the page the grid shows (on a long count most of a
    // page), which then need not be read again for every line entered.
    std::optional<QSqlRecord> added;
    try {
        added = lineRecord(id);
    } catch (const db::DbError&) {
        // Read with its page when the grid asks for it.
    }
    const qint64 page = row / kPageRows;
    const int offset = static_cast<int>(row - page * kPageRows);
    beginInsertRows({}, row, row);
    auto it = m_pages.find(page);
    if (added && it != m_pages.end() && it->size() == offset) {
        it->append(*added);
    } else {
        dropPagesFrom(row);
        if (added && offset == 0) {
            if (m_recent.size() >= kPagesKept)
                m_pages.remove(m_recent.takeFirst());
            m_pages.insert(page, {*added});
            m_recent.append(page);
        }
    }
    ++m_size;
    endInsertRows();
}

void EntryLinesModel::removeLineAt(int row)
{
    if (row < 0 || row >= m_size)
        return;
    if (const std::optional<qint64> id = idAt(row))
        m_list.extraIds.removeAll(*id);
    beginRemoveRows({}, row, row);
    dropPagesFrom(row);
    --m_size;
    endRemoveRows();
}

const QSqlRecord* EntryLinesModel::row(int r) const
{
    if (r < 0 || r >= m_size)
        return nullptr;
    const qint64 page = r / kPageRows;
    auto it = m_pages.find(page);
    if (it == m_pages.end()) {
        QList<QSqlRecord> rows;
        try {
            rows = linesPage(m_list, page * kPageRows, kPageRows, m_size);
        } catch (const db::DbError&) {
            return nullptr;   // shown empty; read again when next asked for
        }
        if (m_recent.size() >= kPagesKept)
            m_pages.remove(m_recent.takeFirst());
        it = m_pages.insert(page, rows);
    } else {
        m_recent.removeAll(page);
    }
    m_recent.append(page);
    const int offset = static_cast<int>(r - page * kPageRows);
    return offset < it->size() ? &it->at(offset) : nullptr;
}

std::optional<qint64> EntryLinesModel::idAt(int r) const
{
    const QSqlRecord* rec = row(r);
    if (!rec)
        return std::nullopt;
    return rec->value(0).toLongLong();
}

int EntryLinesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_size);
}

int EntryLinesModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_fields.size());
}

QVariant EntryLinesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::TextAlignmentRole)
        return m_rightColumns.contains(index.column()) ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter)) : QVariant();
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const QSqlRecord* rec = row(index.row());
    if (!rec)
        return {};
    const QVariant v = rec->value(index.column());
    if (role == Qt::EditRole)
        return v;
    // The grid writes numbers and dates as the correction window's grid does.
    return lineCellText(v, index.column() == m_dateColumn);
}

QVariant EntryLinesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_fields.size())
        return m_fields.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace counting
