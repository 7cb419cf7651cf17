#include "platform/VbFormat.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace vb {

QString formatNumber(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    // Away from zero at exact halves; the small epsilon absorbs binary representation error.
    double scaled = value * scale;
    scaled = scaled < 0 ? -std::floor(-scaled + 0.5 + 1e-9) : std::floor(scaled + 0.5 + 1e-9);
    const double rounded = scaled / scale;
    QLocale c(QLocale::C);
    QString s = c.toString(std::fabs(rounded), 'f', decimals);
    // Insert the grouping by hand: QLocale::C groups nothing.
    QString intPart = s.section('.', 0, 0);
    const QString frac = decimals > 0 ? s.section('.', 1, 1) : QString();
    for (int i = intPart.size() - 3; i > 0; i -= 3)
        intPart.insert(i, ',');
    QString out = intPart;
    if (decimals > 0)
        out += '.' + frac;
    if (rounded < 0 && scaled != 0)
        out.prepend('-');
    return out;
}

double fix(double value)
{
    return std::trunc(value);
}

long long roundHalfEven(double value)
{
    return static_cast<long long>(std::nearbyint(value));
}

namespace {
// What an input method or a spreadsheet gives for a typed number: full-width digits, signs, points
// and commas, the full-width yen sign and the minus sign mean their ASCII forms. Only these are
// folded, so that "①" or "²" never read as digits.
QString foldWidth(const QString& text)
{
    QString t = text;
    for (QChar& c : t) {
        const char16_t u = c.unicode();
        if (u >= 0xFF01 && u <= 0xFF5E)
            c = QChar(u - 0xFF01 + 0x21);
        else if (u == 0x3000)
            c = QLatin1Char(' ');
        else if (u == 0x2212)
            c = QLatin1Char('-');
        else if (u == 0xFFE5)
            c = QChar(0x00A5);
    }
    return t;
}
} // namespace

std::optional<double> parseNumber(const QString& text)
{
    QString t = foldWidth(text).trimmed();
    // A price copied with its currency sign is still the price. In code page 932 the yen sign is
    // the byte a backslash decodes from.
    if (t.startsWith(QChar(0x00A5)) || t.startsWith(QLatin1Char('\\')))
        t = t.mid(1).trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const QLocale sys = QLocale::system();
    double v = sys.toDouble(t, &ok);
    if (ok && std::isfinite(v))
        return v;
    v = QLocale(QLocale::C).toDouble(t, &ok);
    if (ok && std::isfinite(v))
        return v;
    // Digits grouped by commas in threes, as typed in the C form.
    static const QRegularExpression grouped(QStringLiteral("^[-+]?\\d{1,3}(,\\d{3})+(\\.\\d*)?$"));
    if (grouped.match(t).hasMatch()) {
        v = QLocale(QLocale::C).toDouble(QString(t).remove(','), &ok);
        if (ok && std::isfinite(v))
            return v;
    }
    return std::nullopt;
}

} // namespace vb
