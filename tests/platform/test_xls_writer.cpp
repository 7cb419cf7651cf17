// The Excel 97-2003 workbook writer, checked by reading its files back with an independent reader
// (xlrd): sheet, heading row, cell types and values, the shared string table past one record, and
// the sheet's row limit. The export steps around it are checked with the list export.
#include "TestSupport.h"

#include "platform/XlsWriter.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtEndian>


namespace {

// Prints the first sheet as JSON: its name, row count and each row as [xlrd cell type, value]
// pairs; with "last" only the last row. Any warning of the reader fails the check.
const char* kReader = R"(
import sys, json, xlrd
book = xlrd.open_workbook(sys.argv[1], logfile=sys.stderr)
sheet = book.sheet_by_index(0)
rows = [[[sheet.cell_type(r, c), sheet.cell_value(r, c)] for c in range(sheet.ncols)]
        for r in (range(sheet.nrows) if sys.argv[2] == 'all' else [sheet.nrows - 1])]
print(json.dumps({'sheets': book.sheet_names(), 'nrows': sheet.nrows, 'rows': rows}))
)";

enum CellType { Empty = 0, Text = 1, Number = 2 };

QJsonObject readBack(const QString& file, const QString& which = QStringLiteral("all"))
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(kReader), file, which});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        qWarning() << "reader failed:" << p.readAllStandardError();
        return {};
    }
    const QByteArray warnings = p.readAllStandardError();
    if (!warnings.isEmpty()) {
        qWarning() << "reader warned:" << warnings;
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

QJsonArray cell(const QJsonObject& book, int row, int col)
{
    return book.value("rows").toArray().at(row).toArray().at(col).toArray();
}

// The records of a BIFF stream as (type, body size).
QList<QPair<quint16, int>> records(const QByteArray& stream)
{
    QList<QPair<quint16, int>> out;
    for (qsizetype at = 0; at + 4 <= stream.size();) {
        const auto* p = reinterpret_cast<const uchar*>(stream.constData() + at);
        const quint16 type = qFromLittleEndian<quint16>(p);
        const int size = qFromLittleEndian<quint16>(p + 2);
        out.append({type, size});
        at += 4 + size;
    }
    return out;
}

} // namespace

class TestXlsWriter : public QObject {
    Q_OBJECT
private slots:
    void cellsKeepTheirTypesAndValues()
    {
        testsupport::Env env;
        const QString file = env.path("cells.xls");
        const QList<double> numbers = {0, 1, -7, 536870911, 536870912, -536870912, -536870913, 0.5, 0.1,
                                       12.34, -0.07, 1234.565, 1e300, -2.5e-300, 1099511627776.0,
                                       123456789.12, 1.7976931348623157e308};
        xls::Table t;
        t.headings = {QStringLiteral("品名"), QStringLiteral("数"), QStringLiteral("備考")};
        for (double n : numbers)
            t.rows.append({QStringLiteral("ﾃﾞｰﾀ①～"), n, QVariant()});
        t.rows.append({QStringLiteral("整数"), QVariant(qlonglong(42)), QStringLiteral("123")});   // numeric text stays text
        t.rows.append({QString(), QVariant(QMetaType::fromType<double>()), QStringLiteral("O'Brien \"x\"")});
        xls::XlsWriter w;
        QVERIFY2(w.write(t, file), qPrintable(w.errorString()));

        const QJsonObject book = readBack(file);
        QCOMPARE(book.value("sheets").toArray(), QJsonArray({QStringLiteral("Sheet1")}));
        QCOMPARE(book.value("nrows").toInt(), numbers.size() + 3);
        QCOMPARE(book.value("rows").toArray().at(0).toArray(),
                 QJsonArray({QJsonArray{Text, QStringLiteral("品名")}, QJsonArray{Text, QStringLiteral("数")},
                             QJsonArray{Text, QStringLiteral("備考")}}));
        for (int i = 0; i < numbers.size(); ++i) {
            QCOMPARE(cell(book, i + 1, 0), (QJsonArray{Text, QStringLiteral("ﾃﾞｰﾀ①～")}));
            QCOMPARE(cell(book, i + 1, 1).at(0).toInt(), int(Number));
            QCOMPARE(cell(book, i + 1, 1).at(1).toDouble(), numbers.at(i));   // exact, RK or not
            QCOMPARE(cell(book, i + 1, 2).at(0).toInt(), int(Empty));
        }
        const int last = int(numbers.size()) + 1;
        QCOMPARE(cell(book, last, 1), (QJsonArray{Number, 42.0}));
        QCOMPARE(cell(book, last, 2), (QJsonArray{Text, QStringLiteral("123")}));
        QCOMPARE(cell(book, last + 1, 0).at(0).toInt(), int(Empty));   // empty text
        QCOMPARE(cell(book, last + 1, 1).at(0).toInt(), int(Empty));   // Null number
        QCOMPARE(cell(book, last + 1, 2), (QJsonArray{Text, QStringLiteral("O'Brien \"x\"")}));
    }

    void largeSharedStringTableGoesOnInContinueRecords()
    {
        testsupport::Env env;
        const QString file = env.path("strings.xls");
        const QString kana = QStringLiteral("棚卸表の品名ｶﾅ漢字混じり𠮷テキスト");
        xls::Table t;
        t.headings = {QStringLiteral("品名")};
        QStringList expected;
        for (int i = 0; i < 2500; ++i) {
            QString s = QString::number(i) + QLatin1Char(':');
            while (s.size() < 5 + (i * 37) % 400)
                s += kana;
            s.truncate(5 + (i * 37) % 400);
            if (s.back().isHighSurrogate())
                s.chop(1);
            expected << s;
        }
        expected << QString(5000, QChar(0x3042));           // one string longer than a record
        expected << expected.at(7);                         // a repeated text shares its entry
        for (const QString& s : expected)
            t.rows.append({s});
        t.rows.append({QString(40000, QChar(0x3044))});     // past a cell's limit: cut there
        xls::XlsWriter w;
        QVERIFY2(w.write(t, file), qPrintable(w.errorString()));

        // The table really spans records, none over the limit.
        const auto recs = records(xls::workbookStream(t));
        int continues = 0;
        for (const auto& [type, size] : recs) {
            QVERIFY(size <= 8224);
            continues += type == 0x003C;
        }
        QVERIFY(continues > 50);

        const QJsonObject book = readBack(file);
        QCOMPARE(book.value("nrows").toInt(), expected.size() + 2);
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(cell(book, i + 1, 0), (QJsonArray{Text, expected.at(i)}));
        QCOMPARE(cell(book, expected.size() + 1, 0).at(1).toString(), QString(32767, QChar(0x3044)));
    }

    void oneSheetHoldsAtMost65535DataRows()
    {
        testsupport::Env env;
        xls::Table t;
        t.headings = {QStringLiteral("n")};
        for (int i = 1; i <= xls::kMaxDataRows; ++i)
            t.rows.append(QVariantList{i});
        xls::XlsWriter w;
        const QString full = env.path("full.xls");
        QVERIFY(w.write(t, full));
        const QJsonObject book = readBack(full, QStringLiteral("last"));
        QCOMPARE(book.value("nrows").toInt(), 65536);
        QCOMPARE(cell(book, 0, 0), (QJsonArray{Number, 65535.0}));

        // One row more is refused whole: no file, and an existing one untouched.
        t.rows.append(QVariantList{65536});
        const QString none = env.path("none.xls");
        QVERIFY(!w.write(t, none));
        QVERIFY(!w.errorString().isEmpty());
        QVERIFY(!QFile::exists(none));
        QVERIFY(!w.write(t, full));
        QCOMPARE(readBack(full, QStringLiteral("last")).value("nrows").toInt(), 65536);

        xls::Table wide;
        for (int c = 0; c < 257; ++c)
            wide.headings << QString::number(c);
        QVERIFY(!w.write(wide, none));
        QVERIFY(!QFile::exists(none));
    }

};

BREVOTANE_TEST_MAIN(TestXlsWriter)
#include "test_xls_writer.moc"
