#pragma once
// The grid of count lines shared by the correction window and the summary list: an editable model
// on 棚卸マスター that fetches as the grid scrolls, stores a line when the grid leaves it and never
// drops an edit that cannot be stored; a delegate that edits cells as text (dates with a date
// picker); and the column layout.
#include "counting/CountLineQueries.h"
#include "platform/PendingEditModel.h"

#include <QSet>
#include <QStyledItemDelegate>

class QTableView;

namespace counting {

class CountLineModel : public PendingEditModel {
    Q_OBJECT
public:
    explicit CountLineModel(QObject* parent = nullptr);

    // Shows the lines the query selects. The rows come in as the grid scrolls, so a large count
    // opens without being read whole. On failure the model shows no lines and false is returned.
    bool showLines(const LineQuery& query);
    // Rereads the current selection.
    bool refresh();
    // Reads rows in until the row is there; false when the selection has fewer rows.
    bool fetchUpTo(int row);
    // The key the row was read with; an edit of its ID cell does not change it. Invalid when the
    // row does not exist.
    QVariant storedKey(int row) const;

    // Runs the selection with its values bound (the table model's own select cannot bind).
    bool select() override;
    // Text typed into a number field is read as the entry window reads it; what cannot be stored
    // stays in the cell as typed and is refused when the line is stored.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

protected:
    // Stores the changed fields of a line by the key it was read with. The table model's own
    // update would first reset the grid's open result, which then starts over from its first row.
    bool updateRowInTable(int row, const QSqlRecord& values) override;
    QString refusalOf(const QSqlError& error) const override;

private:
    LineQuery m_query = noLines();
};

// Edits every cell as text, the way users type into the grid; the date column shows yyyy/MM/dd
// and edits with a date picker, storing the ISO form. Numbers show without exponent notation.
class CountLineDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    CountLineDelegate(QObject* parent, int dateColumn, QSet<int> rightAligned);

    void setColumns(int dateColumn, QSet<int> rightAligned);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

    static QString cellText(const QVariant& v, bool isDate);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
    // Tab and Enter leave a date cell only with a date: a typed text that is no date stays.
    bool eventFilter(QObject* editor, QEvent* event) override;

private:
    int m_dateColumn = -1;
    QSet<int> m_right;
};

// The count-line layout for a view showing whole rows of 棚卸マスター (any QSqlQueryModel):
// widths in twips by field (ID hidden, 日付 1200, 項目ID 600, 品名 3800, 数量 1200, 単位 600,
// 単価 1200, 価格 1200, 備考 1200, 備考1 1200, the rest default), 数量/単価/価格 right-aligned,
// rows 360 twips high.
void applyCountLineLayout(QTableView* view);

} // namespace counting
