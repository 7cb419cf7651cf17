#pragma once
// The three master tables as their windows maintain them, without any widget: which rows a window
// shows and in which order, the new row that is stored at once holding only its key, and the
// delete by key. Every change runs in one transaction with bound values; failures surface as
// db::DbError (global::KeyRangeError when the keys are used up).
#include <QString>

namespace masters {

enum class Kind { Products, Categories, Units };
// The product window's two sort choices.
enum class Order { ByName, ByKey };

struct MasterTable {
    Kind kind;
    QString table;
    QString keyField;
    QString nameField;
};

const MasterTable& products();
const MasterTable& categories();
const MasterTable& units();

// The query that fills a window: every product (by name or by key), every category but row 0
// 未区分 by key, every unit in table order. The order is ignored for the other two tables.
QString selectSql(const MasterTable& t, Order order = Order::ByName);

// The key a new row gets: the table's highest key plus 1, at least 1. An empty table, and a
// category table holding only 未区分, give 1. Read from the table, not from what a window shows, so
// a row another window added meanwhile is never given the same key.
qint64 nextKey(const MasterTable& t);

// Stores a new row holding only its key and returns the key.
qint64 addRow(const MasterTable& t);

// Deletes the row with this key; false when no such row was there. The category 未区分 (key 0)
// stands for "no category" and is never deleted: count lines are moved to it when theirs is gone.
bool deleteRow(const MasterTable& t, qint64 key);

} // namespace masters
