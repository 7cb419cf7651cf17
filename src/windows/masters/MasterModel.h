#pragma once
// The editable rows of a master table as a window shows them. The edits of a row are stored when
// the grid leaves the row or when the window registers them; an edit the database would refuse
// is never dropped: it stays pending (and on screen) until it is corrected, and the refusal is
// told in Japanese. The key is made by the key rule and is not edited by hand.
#include "masters/MasterData.h"
#include "platform/PendingEditModel.h"

namespace masters {

class MasterModel : public PendingEditModel {
    Q_OBJECT
public:
    MasterModel(const MasterTable& table, QObject* parent = nullptr);

    const MasterTable& masterTable() const { return m_table; }
    int keyColumn() const { return m_keyColumn; }
    int nameColumn() const { return m_nameColumn; }

    void setOrder(Order order) { m_order = order; }
    Order order() const { return m_order; }

    // Reads the rows again (every row fetched, so no statement stays open on the shared
    // connection). Pending edits are dropped: store them first. False on failure.
    bool load();

    qint64 keyAt(int row) const;
    // The row showing this key, or -1.
    int rowOfKey(qint64 key) const;
    // The first row holding a pending edit, or -1.
    int dirtyRow() const { return pendingRow(); }

    // Text typed into a number field becomes a number (full-width digits too); an empty text is
    // no value. Setting what the field already holds is no edit.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    bool isNumberColumn(int column) const;

protected:
    QString selectStatement() const override;

private:
    const MasterTable& m_table;
    Order m_order = Order::ByName;
    int m_keyColumn = -1;
    int m_nameColumn = -1;
};

} // namespace masters
