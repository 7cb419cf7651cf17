#include "import/ImportFile.h"

#include "platform/CodePage.h"

#include <QByteArrayView>
#include <QFile>
#include <QStringDecoder>

namespace import {

namespace {
bool isAscii(const QByteArray& bytes)
{
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

std::optional<QString> strictUtf8(const QByteArray& bytes)
{
    QStringDecoder dec(QStringDecoder::Utf8);   // drops a leading byte-order mark
    QString text = dec.decode(bytes);
    if (dec.hasError())
        return std::nullopt;
    return text;
}
} // namespace

std::optional<QString> decodeImportText(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return strictUtf8(bytes);
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);   // code page 932 and UTF-8 agree on ASCII
    // Code page 932 text turns invalid as UTF-8 within its first few non-ASCII bytes; checking
    // that first spares decoding the whole file only to throw the result away.
    if (QByteArrayView(bytes).isValidUtf8()) {
        if (auto text = strictUtf8(bytes))
            return text;
    }
    bool ok = false;
    QString text = cp932::decode(bytes, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QStringList splitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0) {
            lines.append(text.mid(start));
            break;
        }
        qsizetype stop = end;
        if (stop > start && text.at(stop - 1) == QLatin1Char('\r'))
            --stop;
        lines.append(text.mid(start, stop - start));
        start = end + 1;
    }
    return lines;
}

std::optional<QStringList> readImportFile(const QString& path)
{
    QFile f(path);
    if (path.isEmpty() || !f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return std::nullopt;
    const std::optional<QString> text = decodeImportText(bytes);
    if (!text)
        return std::nullopt;
    return splitLines(*text);
}

std::optional<QStringList> cutLine(const QString& line)
{
    // Counting the TABs first keeps a hostile line of a million TABs from building a huge list.
    if (line.count(QLatin1Char('\t')) >= kMaxCells)
        return std::nullopt;
    return line.split(QLatin1Char('\t'));
}

QStringList headingsOf(const QString& headingLine)
{
    return headingLine.split(QLatin1Char('\t'));
}

std::optional<QStringList> readHeadings(const QString& path)
{
    const std::optional<QStringList> lines = readImportFile(path);
    if (!lines || lines->isEmpty())
        return std::nullopt;
    return headingsOf(lines->first());
}

QString firstChars(const QString& text, int n)
{
    if (text.size() <= n)
        return text;
    qsizetype cut = n;
    if (cut > 0 && text.at(cut - 1).isHighSurrogate())
        --cut;
    return text.left(cut);
}

} // namespace import
