#pragma once
// Storing one count line as the entry window enters it: the unit and product are registered (or
// the product's price and unit brought up to date) together with the line, all or nothing.
#include <QDate>
#include <QString>

namespace counting {

struct EntryLine {
    QDate date;
    QString category;   // empty: no category (key 0)
    QString product;
    double quantity = 0;
    QString unit;
    double price = 0;
    QString memo;
};

// Amount of a line: price × quantity with the fraction dropped toward zero.
double lineAmount(double price, double quantity);

// Stores the line in one transaction and returns its ID (highest ID + 1). A category name not yet
// registered is registered with it. Throws db::DbError; then nothing of the line is stored.
long addEntryLine(const EntryLine& line);

} // namespace counting
