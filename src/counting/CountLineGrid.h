#pragma once
// The grid of count lines shared by the correction window and the summary list: an editable model
// on 棚卸マスター that stores a line when the grid leaves it and never drops an edit the database
// refuses, a delegate that edits cells as text (dates with a date picker), and the column layout.
#include <QSqlTableModel>
#include <QStyledItemDelegate>
#include <QSet>

class QTableView;

namespace counting {

class CountLineModel : public QSqlTableModel {
    Q_OBJECT
public:
    explicit CountLineModel(QObject* parent = nullptr);

    // Shows the lines the filter selects (text built by the caller from its own values only),
    // ordered by ID, every row fetched. On failure the model shows no lines and false is returned.
    bool showLines(const QString& filter);
    // Rereads the current selection.
    bool refresh();
    // Stores the pending edits. When the database refuses them they stay pending (and on screen),
    // false is returned and lastRefusal() tells why.
    bool storePending();
    QString lastRefusal() const { return m_lastRefusal; }

    // The grid leaving a row stores it; a refusal is announced by editRefused.
    bool submit() override;
    // Empty text in a number field means no value.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    void editRefused(const QString& why);

private:
    void fetchEverything();
    QString m_lastRefusal;
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
