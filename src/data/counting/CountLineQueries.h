#pragma once
// The selections of count lines that the correction window and the summary list show, and how a
// value typed into a cell of their grid is read. No widget here: the grid model runs these
// selections, the windows pick which one.
#include <QDate>
#include <QString>
#include <QVariant>
#include <QVariantList>

class QSqlError;

namespace counting {

// Whole rows of 棚卸マスター that meet one condition, ordered by ID. The condition is SQL written
// here, never from typed text; every value goes in as a bound parameter.
struct LineQuery {
    QString where;       // empty: every line
    QVariantList args;   // one value per "?" of the condition

    QString sql() const;
    bool operator==(const LineQuery&) const = default;
};

// The correction window's searches.
LineQuery categoryLines(const QDate& closingDate, qint64 koumokuId);
LineQuery unpricedLines(const QDate& closingDate);      // 単価 = 0
LineQuery everyLine();                                   // every date
// The lines of the date whose 品名 contains the text (the user's % and _ stay wildcards); an empty
// text gives every line of the date.
LineQuery productLines(const QDate& closingDate, const QString& text);
LineQuery noLines();

// A value typed into a cell of the count-line grid: what to store, or why it is refused (in
// Japanese, for the user). Number fields read the text as the entry window does (grouped digits,
// full-width digits); a number that is not finite or does not fit its field is refused, and so is
// a fraction in a whole-number field. Empty text stores no value. Other fields store the text.
struct CellValue {
    QVariant value;
    QString refusal;
    bool accepted() const { return refusal.isEmpty(); }
};
CellValue readLineCell(const QString& field, const QString& text);
bool isNumberField(const QString& field);
// A stored value as the count-line grids show it: dates (isDate) as yyyy/MM/dd, numbers without
// exponent notation, no value as empty text.
QString lineCellText(const QVariant& value, bool isDate);

// Why the database refused to store a line, told in Japanese: the driver's own text is never shown.
QString refusalReason(const QSqlError& error);

} // namespace counting
