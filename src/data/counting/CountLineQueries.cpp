#include "counting/CountLineQueries.h"

#include "common/global.h"
#include "counting/CountLineStore.h"
#include "platform/Db.h"

#include <QSqlError>
#include "platform/VbFormat.h"

#include <cmath>

namespace counting {

QString LineQuery::sql() const
{
    QString s = QStringLiteral("SELECT * FROM 棚卸マスター");
    if (!where.isEmpty())
        s += QStringLiteral(" WHERE ") + where;
    return s + QStringLiteral(" ORDER BY ID ASC");
}

LineQuery categoryLines(const QDate& closingDate, qint64 koumokuId)
{
    return {QStringLiteral("日付 = ? AND 項目ID = ?"), {db::isoDate(closingDate), QVariant::fromValue(koumokuId)}};
}

LineQuery unpricedLines(const QDate& closingDate)
{
    return {QStringLiteral("日付 = ? AND 単価 = 0"), {db::isoDate(closingDate)}};
}

LineQuery everyLine()
{
    return {};
}

LineQuery productLines(const QDate& closingDate, const QString& text)
{
    if (text.isEmpty())
        return {QStringLiteral("日付 = ?"), {db::isoDate(closingDate)}};
    return {QStringLiteral("日付 = ? AND 品名 LIKE '%' || ? || '%'"), {db::isoDate(closingDate), text}};
}

LineQuery noLines()
{
    return {QStringLiteral("0 = 1"), {}};
}

namespace {
struct WholeRange {
    qint64 low;
    qint64 high;
};

// The whole-number fields of a count line and the range their column accepts.
bool wholeRange(const QString& field, WholeRange* r)
{
    if (field == u"区分調整") {
        *r = {-32768, 32767};
        return true;
    }
    if (field == u"ID" || field == u"項目ID" || field == u"品名ID") {
        *r = {-2147483648LL, 2147483647LL};
        return true;
    }
    return false;
}

bool isAmountField(const QString& field)
{
    return field == u"数量" || field == u"単価" || field == u"価格";
}
} // namespace

bool isNumberField(const QString& field)
{
    WholeRange r;
    return isAmountField(field) || wholeRange(field, &r);
}

CellValue readLineCell(const QString& field, const QString& text)
{
    if (!isNumberField(field))
        return {global::StorableText(text), {}};
    if (text.trimmed().isEmpty())
        return {QVariant(), {}};
    const std::optional<double> v = vb::parseNumber(text.trimmed());
    WholeRange r;
    if (!wholeRange(field, &r)) {
        if (!v)
            return {{}, QStringLiteral("「%1」は数値でないか、大きすぎて保存できません。").arg(field)};
        return {*v, {}};
    }
    if (!v || std::trunc(*v) != *v || *v < double(r.low) || *v > double(r.high))
        return {{}, QStringLiteral("「%1」には %2 から %3 までの整数を入力してください。").arg(field).arg(r.low).arg(r.high)};
    return {QVariant::fromValue(static_cast<qint64>(*v)), {}};
}

QString refusalReason(const QSqlError& error)
{
    const QString t = error.databaseText() + QLatin1Char(' ') + error.driverText();
    if (t.contains(QLatin1String("UNIQUE"), Qt::CaseInsensitive))
        return QStringLiteral("同じIDの棚卸がすでにあります。");
    if (t.contains(QLatin1String("CHECK constraint"), Qt::CaseInsensitive))
        return QStringLiteral("項目に入らない値です。");
    if (t.contains(QLatin1String("cannot store"), Qt::CaseInsensitive))
        return QStringLiteral("項目の種類に合わない値です。");
    return db::causeText(db::causeOf(error));
}

QString lineCellText(const QVariant& v, bool isDate)
{
    if (!v.isValid() || v.isNull())
        return QString();
    if (isDate) {
        const QDate d = db::fromIso(v);
        return d.isValid() ? d.toString(QStringLiteral("yyyy/MM/dd")) : v.toString();
    }
    if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float)
        return QString::number(v.toDouble(), 'g', 15);
    return v.toString();
}

} // namespace counting
