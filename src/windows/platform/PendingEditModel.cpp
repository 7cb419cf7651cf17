#include "platform/PendingEditModel.h"

#include "platform/Db.h"

#include <QSqlError>

PendingEditModel::PendingEditModel(QObject* parent) : QSqlTableModel(parent, db::connection())
{
    setEditStrategy(QSqlTableModel::OnRowChange);
}

bool PendingEditModel::select()
{
    forgetEdits();
    return QSqlTableModel::select();
}

void PendingEditModel::forgetEdits()
{
    m_badCells.clear();
    m_editedRows.clear();
}

bool PendingEditModel::setCell(const QModelIndex& index, const QVariant& value, const QString& refusal)
{
    if (!QSqlTableModel::setData(index, value, Qt::EditRole))
        return false;
    m_editedRows.insert(index.row());
    if (refusal.isEmpty()) {
        auto it = m_badCells.find(index.row());
        if (it != m_badCells.end()) {
            it->remove(index.column());
            if (it->isEmpty())
                m_badCells.erase(it);
        }
    } else {
        m_badCells[index.row()].insert(index.column(), refusal);
    }
    return true;
}

int PendingEditModel::pendingRow() const
{
    int first = -1;
    for (int row : m_editedRows) {
        if (first >= 0 && row > first)
            continue;
        bool pending = m_badCells.contains(row);
        for (int c = 0; !pending && c < columnCount(); ++c)
            pending = isDirty(index(row, c));
        if (pending)
            first = row;
    }
    return first;
}

QString PendingEditModel::pendingRefusal() const
{
    for (const auto& row : m_badCells)
        if (!row.isEmpty())
            return row.first();
    return {};
}

QString PendingEditModel::refusalOf(const QSqlError& error) const
{
    // A value the table refuses has no words here; a file that takes no write has.
    const db::Cause cause = db::causeOf(error);
    return cause == db::Cause::Other ? QString() : db::causeText(cause);
}

bool PendingEditModel::storePending()
{
    if (!isDirty())
        return true;
    m_lastRefusal = pendingRefusal();
    if (!m_lastRefusal.isEmpty())
        return false;
    if (submitAll()) {
        m_editedRows.clear();
        return true;
    }
    m_lastRefusal = refusalOf(lastError());
    return false;
}

bool PendingEditModel::submit()
{
    if (!isDirty())
        return true;
    if (storePending())
        return true;
    emit editRefused(m_lastRefusal);
    return false;
}

void PendingEditModel::revertRow(int row)
{
    m_badCells.remove(row);
    m_editedRows.remove(row);
    QSqlTableModel::revertRow(row);
}
