#include "BenchCount.h"

#include <QFile>
#include <QSqlError>

#include <algorithm>
#include <cmath>
#include <random>
#include <stdexcept>

namespace benchcount {

// The generated count: realistic names of a wholesaler's stock (stationery, hardware, kitchen and
// household goods, food), where one product in ten contains ボ and one in a hundred is a ボールペン.

const QStringList& productBases()
{
    static const QStringList bases{
        "ボールペン", "シャープペンシル", "蛍光ペン", "油性マーカー", "消しゴム", "修正テープ", "スティックのり",
        "ボンド", "セロハンテープ", "ガムテープ", "段ボール箱", "封筒", "大学ノート", "コピー用紙",
        "クリアファイル", "ファイルボックス", "ホチキス", "ホチキス針", "穴あけパンチ", "はさみ",
        "カッターナイフ", "定規", "電卓", "付箋", "輪ゴム", "ゼムクリップ", "画鋲", "アルカリ乾電池",
        "電球", "LED電球", "延長コード", "六角ボルト", "ナット", "ワッシャー", "木ネジ", "丸釘", "ドライバー",
        "スパナ", "ペンチ", "軍手", "作業手袋", "ゴミ袋", "ポリ袋", "紙コップ", "紙皿", "割り箸",
        "食品用ラップ", "アルミホイル", "キッチンペーパー", "ティッシュペーパー", "トイレットペーパー",
        "台所用洗剤", "漂白剤", "スポンジ", "たわし", "モップ", "ほうき", "ちりとり", "バケツ", "ステンレスボウル",
        "ざる", "包丁", "まな板", "缶コーヒー", "緑茶", "ミネラルウォーター", "麦茶", "濃口醤油", "合わせ味噌",
        "上白糖", "食塩", "サラダ油", "精米", "薄力粉", "カップ麺", "ボックスティッシュ", "ボディソープ",
        "シャンプー", "歯ブラシ", "歯磨き粉", "フェイスタオル", "バスタオル", "固形石鹸", "不織布マスク",
        "消毒液", "絆創膏", "綿棒", "ハンガー", "収納ボックス", "ボタン電池", "小ネジ", "LANケーブル",
        "コネクタ", "スイッチ", "コンセント", "ブレーカー", "蛍光灯", "水性ペンキ", "刷毛", "塗装ローラー",
    };
    return bases;
}

QString productName(int k)
{
    static const QStringList first{"黒", "赤", "青", "白", "緑", "小", "中", "大", "徳用", "業務用"};
    static const QStringList second{"10個入", "20個入", "50個入", "100個入", "1L", "2L", "500g", "1kg", "A4", "B5"};
    const QStringList& bases = productBases();
    const int b = k % bases.size();
    const int v = k / bases.size();
    QString name = bases.at(b) + ' ' + first.at(v % 10) + ' ' + second.at((v / 10) % 10);
    if (v >= 100)   // only when the base list is shorter than the product count needs
        name += QString::number(v / 100);
    return name;
}

QString categoryName(int id)
{
    static const QStringList groups{"文具", "事務用品", "紙製品", "工具", "金物", "電材", "照明", "日用品",
                                    "清掃用品", "台所用品", "食品", "飲料", "調味料", "衛生用品", "医薬品",
                                    "化粧品", "塗料", "梱包資材", "作業用品", "収納用品"};
    const int g = (id - 1) / kCategoryPlaces;
    const int p = (id - 1) % kCategoryPlaces;
    return groups.at(g % groups.size()) + QStringLiteral("（第%1倉庫）").arg(p + 1);
}

const QStringList& units()
{
    static const QStringList u{"個", "本", "箱", "袋", "枚", "冊", "台", "缶", "組", "巻", "kg", "L"};
    return u;
}


QList<Product> products()
{
    QList<Product> list;
    std::mt19937 rng(20260331);
    for (int k = 0; k < kProducts; ++k) {
        Product p;
        p.name = productName(k);
        p.unit = units().at(k % productBases().size() % units().size());
        p.price = (rng() % 2 == 0) ? double(50 + rng() % 4950) : double(50 + rng() % 495) * 10 + 0.5;
        p.group = k % productBases().size() % kCategoryGroups;
        list << p;
    }
    return list;
}

Generator::Generator(const QString& path)
{
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench_generator"));
    m_db.setDatabaseName(path);
    if (!m_db.open())
        throw std::runtime_error("cannot open " + path.toStdString());
}

Generator::~Generator()
{
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("bench_generator"));
}

void Generator::exec(QSqlQuery& q)
{
    if (!q.exec())
        throw std::runtime_error(q.lastError().text().toStdString());
}

void Generator::masters(const QList<Product>& list)
{
    m_db.transaction();
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("INSERT INTO 項目分類 (項目ID, 項目分類名) VALUES (?, ?)"));
    for (int id = 1; id <= kCategoryGroups * kCategoryPlaces; ++id) {
        q.addBindValue(id);
        q.addBindValue(categoryName(id));
        exec(q);
    }
    q.prepare(QStringLiteral("INSERT INTO 単位 (単位ID, 単位) VALUES (?, ?)"));
    for (int i = 0; i < units().size(); ++i) {
        q.addBindValue(i + 1);
        q.addBindValue(units().at(i));
        exec(q);
    }
    q.prepare(QStringLiteral("INSERT INTO 仕入商品 (品名ID, 品名, 単価, 単位) VALUES (?, ?, ?, ?)"));
    for (int k = 0; k < list.size(); ++k) {
        q.addBindValue(k + 1);
        q.addBindValue(list.at(k).name);
        q.addBindValue(list.at(k).price);
        q.addBindValue(list.at(k).unit);
        exec(q);
    }
    m_db.commit();
}

void Generator::lines(const QList<Product>& list, const QDate& date, int count, unsigned seed, bool withOrphans)
{
    std::mt19937 rng(seed);
    m_db.transaction();
    QSqlQuery next(m_db);
    next.exec(QStringLiteral("SELECT COALESCE(MAX(ID), 0) + 1 FROM 棚卸マスター"));
    next.next();
    qint64 id = next.value(0).toLongLong();
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("INSERT INTO 棚卸マスター (ID, 日付, 項目ID, 品名, 数量, 単位, 単価, 価格, 備考, 備考1, 品名ID) "
                             "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    const QString iso = date.toString(Qt::ISODate);
    const int orphanEvery = std::max(1, count / kOrphanLines);
    for (int i = 0; i < count; ++i, ++id) {
        const int k = int(rng() % unsigned(list.size()));
        const Product& p = list.at(k);
        int category = p.group * kCategoryPlaces + int(rng() % kCategoryPlaces) + 1;
        if (withOrphans && i % orphanEvery == 5 % orphanEvery)
            category = 9001 + int(rng() % 5);
        const double quantity = (rng() % 10 == 0) ? (rng() % 400) / 4.0 : double(1 + rng() % 200);
        const bool noPrice = rng() % 50 == 0;
        const double price = noPrice ? 0.0 : p.price;
        q.addBindValue(id);
        q.addBindValue(iso);
        q.addBindValue(category);
        q.addBindValue(p.name);
        q.addBindValue(quantity);
        q.addBindValue(p.unit);
        q.addBindValue(price);
        q.addBindValue(std::trunc(price * quantity));
        q.addBindValue(rng() % 8 == 0 ? QStringLiteral("%1-%2棚").arg(QChar(char16_t(u'A' + rng() % 6))).arg(1 + rng() % 12)
                                      : QString());
        q.addBindValue(noPrice ? QVariant(QStringLiteral("単価未入力")) : QVariant(QMetaType(QMetaType::QString)));
        q.addBindValue(k + 1);
        exec(q);
    }
    m_db.commit();
}

bool copyTemplate(const QString& from, const QString& to)
{
    QFile::remove(to);
    if (!QFile::copy(from, to))
        return false;
    QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
    return true;
}

} // namespace benchcount
