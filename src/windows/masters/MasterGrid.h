#pragma once
// How a master grid shows and edits its cells: numbers without exponent notation (right-aligned
// where the layout asks), cells edited as text, the name cell held to the name box's length.
#include <QSet>
#include <QStyledItemDelegate>
#include <QValidator>

class QLineEdit;
class QTableView;

namespace masters {

// Holds what is typed into a name box or cell to a number of characters (a character outside the
// basic plane counts one, and is taken whole or not at all). A longer name stored by another
// writer is shown whole and kept whole: the limit rises to its length while it is shown.
class NameLimit : public QValidator {
    Q_OBJECT
public:
    NameLimit(int characters, QLineEdit* box);

    State validate(QString& input, int& pos) const override;

    // Shows the text in the box, whole, whatever the box's limit.
    static void showText(QLineEdit* box, const QString& text);
    static int characters(const QString& text);

private:
    int m_limit;
    int m_allowed;
};

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
