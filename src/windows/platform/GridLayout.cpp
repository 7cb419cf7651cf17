#include "platform/GridLayout.h"

#include "platform/Twips.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QStyledItemDelegate>
#include <QTableView>

namespace grid {
namespace {
// Row numbers grow with the row: the first and the last number bound every other one's size.
class RowNumberHeader : public QHeaderView {
public:
    explicit RowNumberHeader(QWidget* parent) : QHeaderView(Qt::Vertical, parent)
    {
        // As the table view sets up its own row header.
        setSectionsClickable(true);
        setHighlightSections(true);
    }
    QSize sizeHint() const override
    {
        QSize hint(0, 0);
        const int last = count() - 1;
        if (last < 0)
            return hint;
        for (int i : {0, last})
            if (!isSectionHidden(i))
                hint = hint.expandedTo(sectionSizeFromContents(i));
        return hint;
    }
};

class RightAlignDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
    }
};
}

void setColumnWidths(QTableView* view, const QList<int>& twipsByColumn)
{
    for (int c = 0; c < twipsByColumn.size(); ++c) {
        const int tw = twipsByColumn.at(c);
        if (tw < 0)
            continue;   // keep the grid's default width
        if (tw == 0) {
            view->setColumnHidden(c, true);
        } else {
            view->setColumnHidden(c, false);
            view->setColumnWidth(c, twips::toPixels(tw, view));
        }
    }
}

void setRightAligned(QTableView* view, const QSet<int>& columns)
{
    // Found by name: other delegates of the view share the base class.
    static const QString name = QStringLiteral("rightAlignDelegate");
    auto* right = view->findChild<QStyledItemDelegate*>(name, Qt::FindDirectChildrenOnly);
    if (!right) {
        right = new RightAlignDelegate(view);
        right->setObjectName(name);
    }
    for (int c : columns)
        view->setItemDelegateForColumn(c, right);
}

void numberRows(QTableView* view)
{
    if (dynamic_cast<RowNumberHeader*>(view->verticalHeader()))
        return;
    view->setVerticalHeader(new RowNumberHeader(view));
}

void setModel(QTableView* view, QAbstractItemModel* model)
{
    QItemSelectionModel* old = view->selectionModel();
    view->setModel(model);
    delete old;
}

void setRowHeightTwips(QTableView* view, int tw)
{
    static const char* const kApplied = "grid_rowHeightPixels";
    QHeaderView* rows = view->verticalHeader();
    const int px = twips::toPixels(tw, view);
    // Set once, the height holds for rows still to come; setting it again walks every row.
    if (view->property(kApplied).toInt() == px && rows->defaultSectionSize() == px)
        return;
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(px);
    view->setProperty(kApplied, px);
}
}
