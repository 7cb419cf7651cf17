#pragma once
// How a master grid shows and edits its cells: numbers without exponent notation (right-aligned
// where the layout asks), cells edited as text in the program's text box, the name cell held to
// the name box's limit.
#include <QSet>
#include <QStyledItemDelegate>

class QTableView;

namespace masters {

// Also used by the window's mapper, so the boxes show and take values as the grid's cells do.
class MasterDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    MasterDelegate(QObject* parent, int nameColumn, int nameLimit);

    void setRightAligned(QSet<int> columns) { m_right = std::move(columns); }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

    static QString cellText(const QVariant& v);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    int m_nameColumn;
    int m_nameLimit;   // characters, 0 = no limit
    QSet<int> m_right;
};

} // namespace masters
