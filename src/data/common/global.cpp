#include "common/global.h"

#include "platform/CodePage.h"
#include "platform/Db.h"

#include <algorithm>
#include <limits>

namespace global {

QString DbFilePath;
QString PrintDeviceName;
QString PrintFontName;
int PrinterIndex = 0;
QString MainPictureFile;
QString WindowsFamily;
long LastShohinID = 0;
long LastMaxID = 0;
long LastTaniID = 0;

const QString kKeyRangeText =
    QStringLiteral("登録できる番号の上限（2147483647）に達したため、これ以上登録できません。");

namespace {
// A count line keeps its category's and product's key after that row is deleted (it shows as an
// orphan line until it is repaired). Given to a new, unrelated row, such a key would put the old
// lines under the new row's name in every list and sheet, so keys still carried count too.
bool linesCarryKey(const QString& table, const QString& keyColumn)
{
    return (table == QStringLiteral("項目分類") && keyColumn == QStringLiteral("項目ID"))
           || (table == QStringLiteral("仕入商品") && keyColumn == QStringLiteral("品名ID"));
}
} // namespace

long MaxKey(const QString& table, const QString& keyColumn)
{
    // Identifiers come from the program's own constants, never from the user. MAX over the primary
    // key reads the index's last entry instead of walking every row; the keys count lines carry
    // have no index of their own and are read line by line (only when a row is added).
    const QString sql =
        linesCarryKey(table, keyColumn)
            ? QStringLiteral("SELECT MAX(k) FROM (SELECT MAX(\"%1\") AS k FROM \"%2\" UNION ALL "
                             "SELECT MAX(\"%1\") FROM 棚卸マスター)")
                  .arg(keyColumn, table)
            : QStringLiteral("SELECT MAX(\"%1\") FROM \"%2\"").arg(keyColumn, table);
    const QVariant v = db::scalar(sql);
    return v.isNull() ? 0 : static_cast<long>(v.toLongLong());
}

long KeyAfter(long highest)
{
    if (highest >= std::numeric_limits<qint32>::max())
        throw KeyRangeError(QStringLiteral("no key after %1").arg(highest));
    // Keys start at 1: 0 is the category row that stands for no category.
    return std::max(highest, 0L) + 1;
}

long NextKey(const QString& table, const QString& keyColumn)
{
    return KeyAfter(MaxKey(table, keyColumn));
}

long GetMaxTanaID()
{
    return MaxKey(QStringLiteral("棚卸マスター"), QStringLiteral("ID"));
}

long GetMaxShohinID()
{
    LastShohinID = MaxKey(QStringLiteral("仕入商品"), QStringLiteral("品名ID"));
    return LastShohinID;
}

long GetMaxKoumokuID()
{
    LastMaxID = MaxKey(QStringLiteral("項目分類"), QStringLiteral("項目ID"));
    return LastMaxID;
}

long GetMaxTaniID()
{
    LastTaniID = MaxKey(QStringLiteral("単位"), QStringLiteral("単位ID"));
    return LastTaniID;
}

QString StorableText(const QString& typed)
{
    const auto isSurrogate = [](QChar c) { return c.isSurrogate(); };
    if (std::none_of(typed.begin(), typed.end(), isSurrogate))
        return typed;
    QString out;
    out.reserve(typed.size());
    for (qsizetype i = 0; i < typed.size(); ++i) {
        const QChar c = typed.at(i);
        if (c.isHighSurrogate() && i + 1 < typed.size() && typed.at(i + 1).isLowSurrogate()) {
            out += c;
            out += typed.at(++i);
        } else if (!c.isSurrogate()) {
            out += c;
        }
    }
    return out;
}

int LenB_Ansi(const QString& text)
{
    return cp932::byteLength(text);
}

QString VersionText()
{
    return QStringLiteral("%1.%2.%3").arg(BREVOTANE_VERSION_MAJOR).arg(BREVOTANE_VERSION_MINOR).arg(BREVOTANE_VERSION_PATCH);
}

}
