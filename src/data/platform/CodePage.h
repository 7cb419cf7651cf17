#pragma once
// Code page 932 (the Japanese ANSI code page) through iconv: byte lengths for text limits and the
// encoding of import and mapping files.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace cp932 {
// Bytes the text takes in code page 932. A character the code page cannot encode counts 2, like
// the full-width characters it would stand among, so a limit can never be passed by it.
int byteLength(const QString& text);
// Encodes; characters that cannot be encoded become '?' and *ok is set false.
QByteArray encode(const QString& text, bool* ok = nullptr);
// Decodes; invalid bytes become U+FFFD and *ok is set false. A lead byte without a valid second
// byte is one bad byte: the byte after it is read on its own.
QString decode(QByteArrayView bytes, bool* ok = nullptr);
}
