#pragma once
// Grid layout helpers: widths in twips by column position (0 hides a column), right-aligned
// numeric columns, row heights in twips.
#include <QList>
#include <QSet>

class QTableView;

namespace grid {
void setColumnWidths(QTableView* view, const QList<int>& twipsByColumn);
void setRightAligned(QTableView* view, const QSet<int>& columns);
void setRowHeightTwips(QTableView* view, int twips);
}
