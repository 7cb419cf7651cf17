#pragma once
// Grid layout helpers: widths in twips by column position (0 hides a column), right-aligned
// numeric columns, row heights in twips, numbered rows.
#include <QList>
#include <QSet>

class QAbstractItemModel;
class QTableView;

namespace grid {
void setColumnWidths(QTableView* view, const QList<int>& twipsByColumn);
void setRightAligned(QTableView* view, const QSet<int>& columns);
void setRowHeightTwips(QTableView* view, int twips);
// Gives the view a row header that numbers the rows as the standard one does, but sizes itself by
// its first and last number only: the standard one measures a hundred rows at each end whenever
// rows come or go (every line entered, every search). Call before setting the row height.
void numberRows(QTableView* view);
// Gives the view a model (or none) and deletes the selection model the view made for the old one,
// which would otherwise stay behind for each model given.
void setModel(QTableView* view, QAbstractItemModel* model);
}
