#pragma once
// The data side of the summary list by closing date: its modes and how a typed text picks one,
// each mode's query, grid layout and buttons, the export's SELECT, the print hand-over, and the
// read-only model its listing modes show. No widget here.
#include <QDate>
#include <QList>
#include <QSet>
#include <QSqlQueryModel>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <optional>

namespace counting {

enum class ListMode {
    All,              // 棚卸をすべて表示: every line of the date with its category name
    Unpriced,         // 単価未入力の棚卸: the lines without a unit price
    CategorySum,      // 項目/分類別集計表: amounts summed by category name, largest first
    ProductSum,       // 品名別集計表: amounts summed by product name, in name order
    OrphanCategory,   // 項目/分類情報に登録されていない棚卸
    OrphanProduct,    // 品名情報に登録されていない棚卸
    ProductList,      // 品名リスト: reached only by typing its name
};

// The six names the mode list offers, in the order it offers them.
const QStringList& listModeNames();
QString listModeName(ListMode mode);
// The mode a text names, compared whole and exactly; any other text (empty included) lists every
// line.
ListMode listModeForText(const QString& text);
bool isOrphanMode(ListMode mode);

// How a mode's rows are laid out in the grid and which buttons it offers.
struct ListLayout {
    QList<int> widths;        // twips by column position; 0 hides, -1 keeps the default width
    QSet<int> rightAligned;   // column positions
    int dateColumn = -1;      // shown as yyyy/MM/dd
    bool print = false;       // 印刷
    bool excel = false;       // Excel
};
// The orphan modes use the count-line layout and offer neither button.
ListLayout listLayout(ListMode mode);

struct ListSql {
    QString sql;
    QVariantList args;
};
// The query of a listing mode for the date (bound, never pasted in). The lines of a deleted
// category are missing from the modes joined with the categories, and those of a deleted product
// from the product summary. Empty for the orphan modes, which the orphan check lists.
ListSql listQuery(ListMode mode, const QDate& closingDate);

// The Excel export's SELECT: columns 項目分類, 品名, 数量, 単位, 単価, 金額 of the date's lines in ID
// order (only the unpriced ones in that mode). Only the every-line and unpriced modes export.
std::optional<ListSql> exportQuery(ListMode mode, const QDate& closingDate);

// The print dialog a mode hands over to. Only the grouped summary dialog is given values, which it
// reads from its controls DTPicker1, Text3 (title) and Text4 (group heading); the others take
// their own dates.
struct PrintHandOver {
    QString dialog;
    bool setsControls = false;
    QDate closingDate;
    QString title;
    QString groupHeading;
};
std::optional<PrintHandOver> printHandOver(ListMode mode, const QDate& closingDate);

// Rows of one SELECT, read-only, read in as the grid scrolls rather than all at once.
class SummaryListModel : public QSqlQueryModel {
    Q_OBJECT
public:
    using QSqlQueryModel::QSqlQueryModel;
    // Runs the SELECT with its values bound; on failure the model holds no rows and false is
    // returned.
    bool show(const QString& sql, const QVariantList& args);
    Qt::ItemFlags flags(const QModelIndex& index) const override;
};

} // namespace counting
