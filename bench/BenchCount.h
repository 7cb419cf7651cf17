#pragma once
// The generated count the benchmarks run on: the masters of a wholesaler's stock (10,000 products,
// 500 categories, the units) and the count lines of a closing date, written into a copy of the
// template database.
#include <QDate>
#include <QList>
#include <QPair>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

namespace benchcount {

inline const QDate kClosingDate(2026, 3, 31);
constexpr int kProducts = 10000;
constexpr int kCategoryGroups = 20;
constexpr int kCategoryPlaces = 25;   // 20 × 25 = 500 categories
constexpr int kOrphanLines = 10;      // lines whose category was deleted, in every count
inline const QList<QPair<QDate, int>> kEarlierCounts{{QDate(2025, 3, 31), 3000}, {QDate(2024, 3, 31), 2000}};

const QStringList& productBases();
QString productName(int k);
QString categoryName(int id);
const QStringList& units();

struct Product {
    QString name;
    QString unit;
    double price = 0;
    int group = 0;
};

QList<Product> products();

class Generator {
public:
    explicit Generator(const QString& path);
    ~Generator();
    void masters(const QList<Product>& list);
    // Lines of one closing date, as a count is typed in: products in no particular order, each
    // counted on several shelves, a few without a price and a few whose category was deleted since.
    void lines(const QList<Product>& list, const QDate& date, int count, unsigned seed, bool withOrphans);

private:
    void exec(QSqlQuery& q);
    QSqlDatabase m_db;
};

bool copyTemplate(const QString& from, const QString& to);

} // namespace benchcount
