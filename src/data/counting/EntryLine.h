#pragma once
// Storing one count line as the entry window enters it: the unit and product are registered (or
// the product's price and unit brought up to date) together with the line, all or nothing. And
// the list of lines the entry window shows, read page by page.
#include "counting/CountLineStore.h"

#include <QAbstractTableModel>
#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>

namespace counting {

struct EntryLine {
    QDate date;
    QString category;   // empty: no category (key 0)
    QString product;
    double quantity = 0;
    QString unit;
    double price = 0;
    QString memo;
};

// Amount of a line: price × quantity with the fraction dropped toward zero.
double lineAmount(double price, double quantity);

// Stores the line in one transaction and returns its ID (highest ID + 1). A category name not yet
// registered is registered with it. Throws db::DbError (global::KeyRangeError when a key would
// leave the 32-bit range); a quantity, price or amount that is no finite number is refused the
// same way. Then nothing of the line is stored.
long addEntryLine(const EntryLine& line);

// The entry window's lines as whole rows of 棚卸マスター, in key order. Only the pages the view
// asks for are read (a few are kept), each by a statement run to its end, so a long count opens
// as fast as a short one and holds no read open on the connection. Shown: dates as yyyy/MM/dd,
// numbers without exponent, 数量/単価/価格 right-aligned.
class EntryLinesModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit EntryLinesModel(QObject* parent = nullptr);

    // Lists these lines (how many there are, when the caller has just counted them). Throws
    // db::DbError; the model is then empty.
    void show(const LineList& list, std::optional<qint64> size = std::nullopt);
    // Forgets every row (before the file closes); the model is empty until shown again.
    void release();
    const LineList& list() const { return m_list; }

    // A line just stored joins the list as its last row (keys only grow).
    void appendLine(qint64 id, const QDate& date);
    // The row's line was deleted.
    void removeLineAt(int row);
    // The stored key of the row's line.
    std::optional<qint64> idAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const QSqlRecord* row(int r) const;
    void dropPagesFrom(int row);

    LineList m_list;
    QStringList m_fields;
    int m_dateColumn = -1;
    QList<int> m_rightColumns;
    qint64 m_size = 0;
    mutable QHash<qint64, QList<QSqlRecord>> m_pages;
    mutable QList<qint64> m_recent;   // cached pages, most recently used last
};

} // namespace counting
