// Writing a list to an Excel workbook: the save dialog, the overwrite question, the product list in
// both sort orders read back with an independent reader (xlrd), and the old file surviving every
// way the export can stop.
#include "TestSupport.h"

#include "app/ListExport.h"
#include "platform/Db.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const char* kReader = R"(
import sys, json, xlrd
book = xlrd.open_workbook(sys.argv[1], logfile=sys.stderr)
sheet = book.sheet_by_index(0)
rows = [[[sheet.cell_type(r, c), sheet.cell_value(r, c)] for c in range(sheet.ncols)] for r in range(sheet.nrows)]
print(json.dumps({'sheets': book.sheet_names(), 'rows': rows}))
)";

enum CellType { Empty = 0, Text = 1, Number = 2 };

// The first sheet's rows as [xlrd cell type, value] pairs; also checks the sheet's name.
QJsonArray sheetRows(const QString& file)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(kReader), file});
    if (!p.waitForFinished(60000) || p.exitCode() != 0 || !p.readAllStandardError().isEmpty())
        return {};
    const QJsonObject book = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    if (book.value("sheets").toArray() != QJsonArray{QStringLiteral("Sheet1")})
        return {};
    return book.value("rows").toArray();
}

QJsonArray text(const QString& s) { return {Text, s}; }
QJsonArray number(double v) { return {Number, v}; }
QJsonArray empty() { return {Empty, QString()}; }

QByteArray contents(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void putFile(const QString& file, const QByteArray& bytes)
{
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The scripted backend, also keeping the filter index the save dialog was given.
class Dialogs : public dlg::ScriptedBackend {
public:
    QList<int> saveFilterIndexes;
    std::optional<QString> saveFile(QWidget* w, const QString& title, const QString& filter, int index) override
    {
        saveFilterIndexes << index;
        return ScriptedBackend::saveFile(w, title, filter, index);
    }
};

const QString kOverwrite = QStringLiteral("指定した名前のファイルが存在します。\r上書きしますか？");
const QString kTooMany = QStringLiteral(
    "一覧の行数が多すぎるため、Excelファイル（Excel 97-2003形式、1シート65,535行まで）に書き出せません。");

QString rowsSql(int n)
{
    return QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < %1) "
                          "SELECT x AS 番号 FROM c").arg(n);
}

} // namespace

class TestListExport : public QObject {
    Q_OBJECT

    testsupport::Env* m_env = nullptr;
    Dialogs m_dialogs;

    QStringList urlsOpened() const
    {
        QStringList out;
        for (const dlg::Shown& s : m_dialogs.shown)
            if (s.kind == QLatin1String("url"))
                out << s.text;
        return out;
    }

private slots:
    void init()
    {
        m_env = new testsupport::Env;
        m_env->openNewDatabase();
        m_dialogs.clear();
        m_dialogs.saveFilterIndexes.clear();
        m_dialogs.externalResult = true;
        dlg::setBackend(&m_dialogs);
    }
    void cleanup()
    {
        dlg::setBackend(nullptr);
        db::close();
        delete m_env;
        m_env = nullptr;
    }

    void productListInBothSortOrders()
    {
        db::exec("INSERT INTO 仕入商品 (品名ID, 品名, 単位, 単価) VALUES (?, ?, ?, ?)", {1, QStringLiteral("りんご"), QStringLiteral("個"), 120});
        db::exec("INSERT INTO 仕入商品 (品名ID, 品名, 単位, 単価) VALUES (?, ?, ?, ?)", {2, QStringLiteral("あんず"), QVariant(), 98.5});
        db::exec("INSERT INTO 仕入商品 (品名ID, 品名, 単位, 単価) VALUES (?, ?, ?, ?)", {3, QStringLiteral("ｷｳｲ①"), QStringLiteral("箱"), QVariant()});

        const QString byKey = m_env->path("品名一覧");   // taken as typed: no extension added
        m_dialogs.files = {byKey};
        QVERIFY(listexport::exportList(listexport::productListSql(true), {}, nullptr));
        QCOMPARE(m_dialogs.shown.size(), 2);   // the save dialog and the opened workbook, nothing else
        const dlg::Shown save = m_dialogs.shown.at(0);
        QCOMPARE(save.kind, QStringLiteral("save"));
        QCOMPARE(save.title, QStringLiteral("名前を付けて保存"));
        QCOMPARE(save.text, dlg::convertFilter(QStringLiteral("すべてのファイル (*.*)|*.*|xls ﾌｧｲﾙ (*.xls)|*.xls")));
        QCOMPARE(m_dialogs.saveFilterIndexes, QList<int>{2});
        QCOMPARE(urlsOpened(), QStringList{QUrl::fromLocalFile(byKey).toString()});
        QVERIFY(!QFile::exists(byKey + ".xls"));

        const QJsonArray heading{text("品名"), text("単位"), text("単価")};
        const QJsonArray apple{text("りんご"), text("個"), number(120)};
        const QJsonArray apricot{text("あんず"), empty(), number(98.5)};
        const QJsonArray kiwi{text("ｷｳｲ①"), text("箱"), empty()};
        QCOMPARE(sheetRows(byKey), (QJsonArray{heading, apple, apricot, kiwi}));

        const QString byName = m_env->path("by-name.xls");
        m_dialogs.clear();
        m_dialogs.files = {byName};
        QVERIFY(listexport::exportList(listexport::productListSql(false), {}, nullptr));
        QCOMPARE(sheetRows(byName), (QJsonArray{heading, apricot, apple, kiwi}));
    }

    void emptyProductTableGivesTheHeadingRowOnly()
    {
        const QString file = m_env->path("empty.xls");
        m_dialogs.files = {file};
        QVERIFY(listexport::exportList(listexport::productListSql(true), {}, nullptr));
        QCOMPARE(sheetRows(file), (QJsonArray{QJsonArray{text("品名"), text("単位"), text("単価")}}));
    }

    void boundValuesNarrowTheList()
    {
        const QString file = m_env->path("bound.xls");
        m_dialogs.files = {file};
        QVERIFY(listexport::exportList(rowsSql(10) + " WHERE x >= ? AND x < ?", {4, 6}, nullptr));
        QCOMPARE(sheetRows(file), (QJsonArray{QJsonArray{text("番号")}, QJsonArray{number(4)}, QJsonArray{number(5)}}));
    }

    void cancelOrNoNameDoesNothing()
    {
        m_dialogs.files = {std::nullopt, QString()};
        QVERIFY(!listexport::exportList(listexport::productListSql(true), {}, nullptr));
        QVERIFY(!listexport::exportList(listexport::productListSql(true), {}, nullptr));
        QCOMPARE(m_dialogs.shown.size(), 2);   // the two save dialogs only
        QVERIFY(m_dialogs.messages().isEmpty());
        QVERIFY(urlsOpened().isEmpty());
    }

    void existingFileIsReplacedOnlyByAFinishedWorkbook()
    {
        db::exec("INSERT INTO 仕入商品 (品名ID, 品名, 単位, 単価) VALUES (1, 'みかん', '個', 30)");
        const QString file = m_env->path("old.xls");
        const QByteArray old("the user's old workbook");
        putFile(file, old);

        // No to the question: untouched, nothing opened.
        m_dialogs.files = {file};
        m_dialogs.answers = {dlg::vbNo};
        QVERIFY(!listexport::exportList(listexport::productListSql(true), {}, nullptr));
        QCOMPARE(m_dialogs.messages(), QStringList{kOverwrite});
        QCOMPARE(m_dialogs.shown.at(1).title, QStringLiteral("Question"));
        QVERIFY(m_dialogs.shown.at(1).yesNo);

        // Yes, then the workbook cannot be written, or the SELECT fails: the old file stays, silently.
        m_dialogs.files = {file};
        m_dialogs.answers = {dlg::vbYes};
        {
            testsupport::FullDisk limit(256);
            QVERIFY(!listexport::exportList(listexport::productListSql(true), {}, nullptr));
        }
        m_dialogs.files = {file};
        m_dialogs.answers = {dlg::vbYes};
        QVERIFY(!listexport::exportList("SELECT 品名 AS 品名 FROM 無い表", {}, nullptr));
        QCOMPARE(contents(file), old);
        QCOMPARE(QDir(m_env->path(QString())).entryList({"old.xls*"}, QDir::Files | QDir::Hidden),
                 QStringList{"old.xls"});   // no temporary file left behind
        QCOMPARE(m_dialogs.messages(), (QStringList{kOverwrite, kOverwrite, kOverwrite}));
        QVERIFY(urlsOpened().isEmpty());

        if (geteuid() != 0) {   // folder permissions bind everyone but root
            const QString dir = m_env->path("locked");
            QDir().mkpath(dir);
            putFile(dir + "/old.xls", old);
            QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner);
            m_dialogs.files = {dir + "/old.xls"};
            m_dialogs.answers = {dlg::vbYes};
            QVERIFY(!listexport::exportList(listexport::productListSql(true), {}, nullptr));
            QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QCOMPARE(contents(dir + "/old.xls"), old);
            QVERIFY(urlsOpened().isEmpty());
        }

        // Yes, and the workbook takes the old file's place.
        m_dialogs.files = {file};
        m_dialogs.answers = {dlg::vbYes};
        QVERIFY(listexport::exportList(listexport::productListSql(true), {}, nullptr));
        QCOMPARE(sheetRows(file).at(1).toArray(), (QJsonArray{text("みかん"), text("個"), number(30)}));
        QCOMPARE(urlsOpened(), QStringList{QUrl::fromLocalFile(file).toString()});
    }

    void listLongerThanASheetIsRefusedWhole()
    {
        const QString file = m_env->path("long.xls");
        m_dialogs.files = {file};
        QVERIFY(!listexport::exportList(rowsSql(65536), {}, nullptr));
        QCOMPARE(m_dialogs.messages(), QStringList{kTooMany});
        QCOMPARE(m_dialogs.shown.last().title, QStringLiteral("Information"));
        QVERIFY(!QFile::exists(file));
        QVERIFY(urlsOpened().isEmpty());

        // Over an existing file: it stays as it was.
        const QByteArray old("old");
        putFile(file, old);
        m_dialogs.clear();
        m_dialogs.files = {file};
        m_dialogs.answers = {dlg::vbYes};
        QVERIFY(!listexport::exportList(rowsSql(70000), {}, nullptr));
        QCOMPARE(m_dialogs.messages(), (QStringList{kOverwrite, kTooMany}));
        QCOMPARE(contents(file), old);
    }
};

BREVOTANE_TEST_MAIN(TestListExport)
#include "test_list_export.moc"
