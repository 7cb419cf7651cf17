#include "import/ImportStore.h"

#include "common/global.h"
#include "import/ImportFile.h"
#include "platform/Db.h"
#include "platform/VbFormat.h"

#include <QHash>
#include <QLocale>
#include <QSqlDriver>
#include <QVarLengthArray>
#include <charconv>
#include <cmath>
#include <limits>
#include <sqlite3.h>
#include <string>
#include <unordered_map>
#include <vector>

namespace importer {

namespace {

constexpr int kNameChars = 50;
constexpr int kUnitChars = 10;
constexpr int kRemarkChars = 50;

// A line that cannot be stored: the run ends there.
struct LineFailure {
    QString why;
};

std::optional<double> readNumberIn(QStringView cell);

std::optional<double> numberOrZero(QStringView cell)
{
    if (cell.isEmpty())
        return 0.0;
    return readNumberIn(cell);
}

// The cells of one data line as views into it, so a line costs no string of its own per cell.
// False for a line of more than kMaxCells cells.
using Cells = QVarLengthArray<QStringView, 16>;
bool cutInto(QStringView line, Cells& cells)
{
    cells.clear();
    qsizetype start = 0;
    for (;;) {
        const qsizetype tab = line.indexOf(u'\t', start);
        if (tab < 0) {
            cells.append(line.sliced(start));
            return true;
        }
        cells.append(line.sliced(start, tab - start));
        if (cells.size() >= kMaxCells)   // as many TABs as kMaxCells: one cell too many
            return false;
        start = tab + 1;
    }
}

QStringView cellIn(const Cells& cells, int column)
{
    return (column >= 1 && column <= cells.size()) ? cells[column - 1] : QStringView();
}

QStringView firstCharsOf(QStringView text, int n)
{
    if (text.size() <= n)
        return text;
    qsizetype cut = n;
    if (cut > 0 && text.at(cut - 1).isHighSurrogate())
        --cut;
    return text.first(cut);
}

// A cell as a message quotes it, a long one cut short.
QString quoted(QStringView cell)
{
    constexpr int kShown = 20;
    QString shown = firstCharsOf(cell, kShown).toString();
    if (shown.size() < cell.size())
        shown += QStringLiteral("…");
    return QStringLiteral("「%1」").arg(shown);
}

// Why a number cell is refused, naming the field and quoting the cell.
LineFailure numberFailure(const QString& field, QStringView cell)
{
    if (cell.isEmpty())
        return {QStringLiteral("%1が空です。").arg(field)};
    return {QStringLiteral("%1%2は数値ではありません。").arg(field, quoted(cell))};
}

// A price is refused when it is no number, or as a product's whole-number price when it leaves
// the 32-bit range.
LineFailure priceFailure(QStringView cell, const std::optional<double>& price)
{
    if (price)
        return {QStringLiteral("単価%1が大きすぎます。").arg(quoted(cell))};
    return numberFailure(QStringLiteral("単価"), cell);
}

QString dbFailure(const db::DbError& e)
{
    if (dynamic_cast<const global::KeyRangeError*>(&e))
        return global::kKeyRangeText;
    return db::causeText(e.cause());
}

// UTF-8, the file's own encoding, so SQLite stores the bound text without converting it again.
// A lone surrogate becomes U+FFFD, as QString::toUtf8 writes it.
void utf8Into(QStringView text, std::string& out)
{
    const qsizetype n = text.size();
    out.resize(static_cast<size_t>(n) * 3);
    char* p = out.data();
    const char16_t* u = text.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = u[i];
        if (c < 0x80) {
            *p++ = static_cast<char>(c);
        } else if (c < 0x800) {
            *p++ = static_cast<char>(0xC0 | (c >> 6));
            *p++ = static_cast<char>(0x80 | (c & 0x3F));
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(u[i + 1])) {
            const char32_t cp = QChar::surrogateToUcs4(c, u[++i]);
            *p++ = static_cast<char>(0xF0 | (cp >> 18));
            *p++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            *p++ = static_cast<char>(0x80 | (cp & 0x3F));
        } else if (QChar::isSurrogate(c)) {
            *p++ = '\xEF';
            *p++ = '\xBF';
            *p++ = '\xBD';
        } else {
            *p++ = static_cast<char>(0xE0 | (c >> 12));
            *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *p++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    out.resize(static_cast<size_t>(p - out.data()));
}

// The values of a line as views into its cells. A number is nothing when its cell holds no number
// (or one that does not fit); the store refuses it only where the value is used, so whatever the
// line stored before that stays.
struct CellValues {
    QStringView category, name, unit, remark;
    std::optional<double> quantity, price, amount, wholePrice;
    QStringView quantityCell, priceCell, amountCell;   // as the line holds them, for the messages
};

CellValues countValuesOf(const Cells& cells, const QList<int>& columns)
{
    auto cell = [&](int field) { return cellIn(cells, columns.value(field)); };
    CellValues v;
    v.category = cell(1);
    v.name = cell(2);
    v.quantityCell = cell(3);
    v.quantity = numberOrZero(v.quantityCell);
    v.unit = cell(4);
    v.priceCell = cell(5);
    v.price = numberOrZero(v.priceCell);
    if (v.price)
        v.wholePrice = wholeNumber(*v.price);
    // An unassigned amount column stores 0; an assigned one must hold a number on every line.
    v.amountCell = cell(6);
    if (columns.value(6) == 0) {
        v.amount = 0.0;
    } else if (const auto a = readNumberIn(v.amountCell)) {
        v.amount = vb::fix(*a);
    }
    v.remark = cell(7);
    return v;
}

CellValues productValuesOf(const Cells& cells, const QList<int>& columns)
{
    auto cell = [&](int field) { return cellIn(cells, columns.value(field)); };
    CellValues v;
    v.name = cell(1);
    v.unit = cell(2);
    v.priceCell = cell(3);
    v.price = numberOrZero(v.priceCell);
    if (v.price)
        v.wholePrice = wholeNumber(*v.price);
    return v;
}

// The shared connection's SQLite handle. The import's statements run on it directly: through the
// driver's binding layer every bound value costs more than the row's insert itself. The statements
// join the transaction the run began on the same connection.
sqlite3* handle()
{
    const QVariant h = db::connection().driver()->handle();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3*") != 0)
        throw db::DbError(QStringLiteral("no SQLite handle on the connection"));
    sqlite3* s = *static_cast<sqlite3* const*>(h.constData());
    if (!s)
        throw db::DbError(QStringLiteral("the connection is closed"));
    return s;
}

// One statement prepared once and run for every line, every value bound.
class Statement {
public:
    explicit Statement(const QString& sql) : m_db(handle())
    {
        const QByteArray utf8 = sql.toUtf8();
        if (sqlite3_prepare_v2(m_db, utf8.constData(), static_cast<int>(utf8.size()), &m_stmt, nullptr) != SQLITE_OK)
            fail();
        m_text.resize(static_cast<size_t>(sqlite3_bind_parameter_count(m_stmt)) + 1);
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // A text is bound from the statement's own buffer for that value, kept until it is bound
    // again, so SQLite neither copies nor converts it. An empty cell stores an empty text, never
    // NULL.
    Statement& bind(int i, QStringView text)
    {
        std::string& buf = m_text.at(static_cast<size_t>(i));
        utf8Into(text, buf);
        check(sqlite3_bind_text(m_stmt, i, buf.c_str(), static_cast<int>(buf.size()), SQLITE_STATIC));
        return *this;
    }
    Statement& bind(int i, double v)
    {
        check(sqlite3_bind_double(m_stmt, i, v));
        return *this;
    }
    Statement& bind(int i, qint64 v)
    {
        check(sqlite3_bind_int64(m_stmt, i, v));
        return *this;
    }
    void run()
    {
        const int rc = sqlite3_step(m_stmt);
        sqlite3_reset(m_stmt);
        if (rc != SQLITE_DONE && rc != SQLITE_ROW)
            fail();
    }
    // The first column of the first row, or nothing.
    std::optional<qint64> key()
    {
        std::optional<qint64> k;
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            k = sqlite3_column_int64(m_stmt, 0);
        sqlite3_reset(m_stmt);
        if (rc != SQLITE_DONE && rc != SQLITE_ROW)
            fail();
        return k;
    }

private:
    void check(int rc)
    {
        if (rc != SQLITE_OK)
            fail();
    }
    [[noreturn]] void fail() { throw db::failure(m_db); }

    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
    std::vector<std::string> m_text;   // by parameter number
};

// Keys by the key rule, counted on in memory. Nothing else writes the tables while the run's
// transaction is open, so the highest key read at the start (global::GetMaxTanaID and its
// siblings), counted on, is the highest key of the table at every line.
class KeyCounter {
public:
    explicit KeyCounter(long highest) : m_highest(highest) {}
    qint64 take()
    {
        m_highest = global::KeyAfter(m_highest);
        return m_highest;
    }

private:
    long m_highest;
};

// Finds a row by its whole name, adding it when none matches. A name already looked up in this
// run is answered from memory; an added row is remembered only when it stores the name whole, so
// a name longer than its field is looked up, missed and added again on every line, as the file's
// lines ask.
class NameIndex {
public:
    NameIndex(const QString& table, const QString& keyColumn, const QString& nameColumn)
        : m_find(QStringLiteral("SELECT \"%1\" FROM \"%2\" WHERE \"%3\" = ? ORDER BY \"%1\" LIMIT 1")
                     .arg(keyColumn, table, nameColumn))
    {
    }
    std::optional<qint64> find(QStringView name)
    {
        if (auto it = m_known.find(name); it != m_known.end())
            return it->second;
        std::optional<qint64> k = m_find.bind(1, name).key();
        if (k)
            m_known.insert_or_assign(name.toString(), *k);
        return k;
    }
    void added(QStringView name, QStringView stored, qint64 key)
    {
        if (name == stored)
            m_known.insert_or_assign(name.toString(), key);
    }

private:
    // Looked up by a view of the cell, so a name already known costs no string.
    struct Hash {
        using is_transparent = void;
        size_t operator()(QStringView v) const noexcept { return qHash(v); }
    };
    struct Equal {
        using is_transparent = void;
        bool operator()(QStringView a, QStringView b) const noexcept { return a == b; }
    };
    Statement m_find;
    std::unordered_map<QString, qint64, Hash, Equal> m_known;
};

// Runs the lines in one transaction; a failing line ends the run and what came before it (the
// rows the failing line added before its failure included) is committed.
template <class PerLine>
Outcome runLines(const QStringList& dataLines, Outcome& out, const Progress& progress, PerLine perLine)
{
    std::optional<db::Transaction> tx;
    try {
        tx.emplace();
        ensureNameIndexes();
        perLine.prepare();
        Cells cells;
        for (int i = 0; i < dataLines.size(); ++i) {
            const bool cut = cutInto(dataLines.at(i), cells);
            try {
                if (!cut)
                    throw LineFailure{tooManyCells()};
                perLine(cells);
            } catch (const LineFailure& f) {
                out.failed = true;
                out.failedLine = i + 1;
                out.error = f.why;
                break;
            } catch (const db::DbError& e) {
                out.failed = true;
                out.failedLine = i + 1;
                out.error = dbFailure(e);
                break;
            }
            if (progress)
                progress(perLine.progressCount(i + 1));
        }
        tx->commit();
    } catch (const db::DbError& e) {
        // Nothing could be committed (the transaction did not begin, a statement could not be
        // prepared, or the commit failed): the file stays as it was.
        out = Outcome{};
        out.failed = true;
        out.error = dbFailure(e);
    }
    return out;
}

struct CountLines {
    const QDate& date;
    const QList<int>& columns;
    Outcome& out;
    std::optional<KeyCounter> lineKeys, categoryKeys, productKeys;
    std::optional<NameIndex> categories, products;
    std::optional<Statement> addCategory, addProduct, addLine;
    QString isoDate;

    void prepare()
    {
        isoDate = db::isoDate(date);
        lineKeys.emplace(global::GetMaxTanaID());
        categoryKeys.emplace(global::GetMaxKoumokuID());
        productKeys.emplace(global::GetMaxShohinID());
        categories.emplace(QStringLiteral("項目分類"), QStringLiteral("項目ID"), QStringLiteral("項目分類名"));
        products.emplace(QStringLiteral("仕入商品"), QStringLiteral("品名ID"), QStringLiteral("品名"));
        addCategory.emplace(QStringLiteral("INSERT INTO 項目分類 (項目ID, 項目分類名) VALUES (?, ?)"));
        addProduct.emplace(QStringLiteral("INSERT INTO 仕入商品 (品名ID, 品名, 単位, 単価) VALUES (?, ?, ?, ?)"));
        addLine.emplace(QStringLiteral("INSERT INTO 棚卸マスター (ID, 日付, 項目ID, 品名ID, 品名, 数量, 単位, 単価, 価格, 備考) "
                                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        addLine->bind(2, isoDate);   // the same closing date on every line
    }

    int progressCount(int) const { return out.lines; }

    void operator()(const Cells& cells)
    {
        const CellValues v = countValuesOf(cells, columns);
        qint64 categoryId = 0;
        if (!v.category.isEmpty()) {
            if (auto k = categories->find(v.category)) {
                categoryId = *k;
            } else {
                categoryId = categoryKeys->take();
                addCategory->bind(1, categoryId).bind(2, v.category).run();
                categories->added(v.category, v.category, categoryId);
                ++out.categories;
            }
        }
        qint64 productId = 0;
        const QStringView storedName = firstCharsOf(v.name, kNameChars);
        const QStringView storedUnit = firstCharsOf(v.unit, kUnitChars);
        if (!v.name.isEmpty()) {
            if (auto k = products->find(v.name)) {
                productId = *k;
            } else {
                if (!v.wholePrice)
                    throw priceFailure(v.priceCell, v.price);
                productId = productKeys->take();
                addProduct->bind(1, productId).bind(2, storedName).bind(3, storedUnit).bind(4, *v.wholePrice).run();
                products->added(v.name, storedName, productId);
                ++out.products;
            }
        }
        if (!v.quantity)
            throw numberFailure(QStringLiteral("数量"), v.quantityCell);
        if (!v.price)
            throw numberFailure(QStringLiteral("単価"), v.priceCell);
        if (!v.amount)
            throw numberFailure(QStringLiteral("価格"), v.amountCell);
        const QStringView storedRemark = firstCharsOf(v.remark, kRemarkChars);
        addLine->bind(1, lineKeys->take())
            .bind(3, categoryId)
            .bind(4, productId)
            .bind(5, storedName)
            .bind(6, *v.quantity)
            .bind(7, storedUnit)
            .bind(8, *v.price)
            .bind(9, *v.amount)
            .bind(10, storedRemark)
            .run();
        ++out.lines;
    }
};

struct ProductLines {
    const QList<int>& columns;
    bool updateKnown;
    Outcome& out;
    std::optional<KeyCounter> productKeys;
    std::optional<NameIndex> products;
    std::optional<Statement> addProduct, updateProduct;

    void prepare()
    {
        productKeys.emplace(global::GetMaxShohinID());
        products.emplace(QStringLiteral("仕入商品"), QStringLiteral("品名ID"), QStringLiteral("品名"));
        addProduct.emplace(QStringLiteral("INSERT INTO 仕入商品 (品名ID, 品名, 単位, 単価) VALUES (?, ?, ?, ?)"));
        updateProduct.emplace(QStringLiteral("UPDATE 仕入商品 SET 単位 = ?, 単価 = ? WHERE 品名ID = ?"));
    }

    int progressCount(int linesRead) const { return linesRead; }

    void operator()(const Cells& cells)
    {
        const CellValues v = productValuesOf(cells, columns);
        if (v.name.isEmpty())
            return;
        const QStringView storedUnit = firstCharsOf(v.unit, kUnitChars);
        if (auto k = products->find(v.name)) {
            if (!updateKnown)
                return;
            if (!v.wholePrice)
                throw priceFailure(v.priceCell, v.price);
            updateProduct->bind(1, storedUnit).bind(2, *v.wholePrice).bind(3, *k).run();
            ++out.updated;
            return;
        }
        if (!v.wholePrice)
            throw priceFailure(v.priceCell, v.price);
        const QStringView storedName = firstCharsOf(v.name, kNameChars);
        const qint64 id = productKeys->take();
        addProduct->bind(1, id).bind(2, storedName).bind(3, storedUnit).bind(4, *v.wholePrice).run();
        products->added(v.name, storedName, id);
        ++out.products;
    }
};

} // namespace

std::optional<double> readNumber(const QString& cell)
{
    return readNumberIn(cell);
}

namespace {
std::optional<double> readNumberIn(QStringView cell)
{
    // Most cells are plain digits with a point; where the system's decimal mark is the point too,
    // those read the same in every form, so the slower locale reading is left for the rest.
    static const bool pointIsDecimal = QLocale::system().decimalPoint() == QLatin1String(".");
    if (pointIsDecimal && !cell.isEmpty() && cell.size() < 32) {
        bool plain = true;
        for (QChar c : cell) {
            const char16_t u = c.unicode();
            if (!((u >= '0' && u <= '9') || u == '.' || u == '-')) {
                plain = false;
                break;
            }
        }
        if (plain) {
            char buf[32];
            const qsizetype n = cell.size();
            for (qsizetype i = 0; i < n; ++i)
                buf[i] = static_cast<char>(cell.at(i).unicode());
            double v = 0;
            const auto [end, ec] = std::from_chars(buf, buf + n, v);
            if (ec == std::errc() && end == buf + n && std::isfinite(v))
                return v;
        }
    }
    return vb::parseNumber(cell.toString());
}
} // namespace

std::optional<double> wholeNumber(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double r = static_cast<double>(vb::roundHalfEven(value));
    if (r < std::numeric_limits<qint32>::min() || r > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return r;
}

Outcome storeCountLines(const QStringList& dataLines, const QDate& date, const Mapping& mapping,
                        const Progress& progress)
{
    Q_ASSERT(mapping.kind() == Kind::Count);
    return storeCountLines(dataLines, date, mapping.columns(), progress);
}

Outcome storeProducts(const QStringList& dataLines, const Mapping& mapping, bool updateKnown,
                      const Progress& progress)
{
    Q_ASSERT(mapping.kind() == Kind::Product);
    return storeProducts(dataLines, mapping.columns(), updateKnown, progress);
}

Outcome storeCountLines(const QStringList& dataLines, const QDate& date, const QList<int>& columns,
                        const Progress& progress)
{
    Outcome out;
    return runLines(dataLines, out, progress, CountLines{date, columns, out, {}, {}, {}, {}, {}, {}, {}, {}, {}});
}

Outcome storeProducts(const QStringList& dataLines, const QList<int>& columns, bool updateKnown,
                      const Progress& progress)
{
    Outcome out;
    return runLines(dataLines, out, progress, ProductLines{columns, updateKnown, out, {}, {}, {}, {}});
}

void ensureNameIndexes()
{
    // An index takes its column's collation, so the lookups by name (which compare with it) use it.
    db::exec(QStringLiteral("CREATE INDEX IF NOT EXISTS 仕入商品_品名 ON 仕入商品 (品名)"));
    db::exec(QStringLiteral("CREATE INDEX IF NOT EXISTS 項目分類_項目分類名 ON 項目分類 (項目分類名)"));
}

} // namespace importer
