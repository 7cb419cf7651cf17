#include "masters/MasterModel.h"

#include "common/global.h"
#include "platform/VbFormat.h"

#include <QSqlField>
#include <QSqlRecord>
#include <cmath>

namespace masters {

namespace {
bool isNumberType(QMetaType t)
{
    switch (t.id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

bool isEmptyValue(const QVariant& v)
{
    return !v.isValid() || v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isEmpty());
}

QString numberRefusal(const QString& field)
{
    return QStringLiteral("%1には数値を入力してください。").arg(field);
}
} // namespace

MasterModel::MasterModel(const MasterTable& table, QObject* parent) : PendingEditModel(parent), m_table(table)
{
    setTable(table.table);
    m_keyColumn = record().indexOf(table.keyField);
    m_nameColumn = record().indexOf(table.nameField);
}

QString MasterModel::selectStatement() const
{
    // After storing a row the table model reads that row back through a filter on its key; the
    // window's own query would answer with its first row instead, which would then stand in the
    // stored row's place (and take the next edit and delete).
    if (!filter().isEmpty())
        return QSqlTableModel::selectStatement();
    return selectSql(m_table, m_order);
}

bool MasterModel::load()
{
    clearRefusal();
    if (!select())
        return false;
    while (canFetchMore())
        fetchMore();
    return true;
}

qint64 MasterModel::keyAt(int row) const
{
    return QSqlTableModel::data(index(row, m_keyColumn), Qt::EditRole).toLongLong();
}

int MasterModel::rowOfKey(qint64 key) const
{
    for (int r = 0; r < rowCount(); ++r)
        if (keyAt(r) == key)
            return r;
    return -1;
}

bool MasterModel::isNumberColumn(int column) const
{
    return column != m_keyColumn && isNumberType(record().field(column).metaType());
}

bool MasterModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid())
        return QSqlTableModel::setData(index, value, role);
    QVariant v = value;
    QString refusal;
    if (isNumberColumn(index.column()) && v.typeId() == QMetaType::QString) {
        const QString text = v.toString();
        if (text.trimmed().isEmpty()) {
            v = QVariant(record().field(index.column()).metaType());
        } else if (const auto n = vb::parseNumber(text)) {
            v = *n;
        } else {
            // It stays as typed, so the user sees it and can correct it; storing the row refuses it.
            refusal = numberRefusal(record().fieldName(index.column()));
        }
    } else if (v.typeId() == QMetaType::QString) {
        v = global::StorableText(v.toString());
    }
    const QVariant old = QSqlTableModel::data(index, Qt::EditRole);
    if ((isEmptyValue(old) && isEmptyValue(v)) || (!isEmptyValue(old) && old == v && old.typeId() == v.typeId()))
        return true;
    return setCell(index, v, refusal);
}

Qt::ItemFlags MasterModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QSqlTableModel::flags(index);
    if (index.column() == m_keyColumn)
        f &= ~Qt::ItemIsEditable;
    return f;
}

} // namespace masters
