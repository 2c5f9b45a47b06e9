#pragma once

// The schedule file's encoding: CP932, Shift_JIS with the NEC and IBM extension characters
// (①, ㈱ and the like), converted with glibc's strict iconv tables, which map control bytes to
// themselves and stop at the exact character they cannot convert.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

namespace cp932 {

struct Decoded
{
    QString text;
    // Offset of the first byte that is not valid CP932, or -1 when every byte was.
    // Invalid bytes are decoded as U+FFFD each, so the rest of the text stays readable.
    qsizetype firstInvalidByte = -1;

    bool isValid() const { return firstInvalidByte < 0; }
};

Decoded decode(QByteArrayView bytes);

// Returns: decode(bytes).firstInvalidByte, found a block at a time, so that checking a file
// takes little memory beside it.
qsizetype firstInvalidByte(QByteArrayView bytes);

struct Encoded
{
    QByteArray bytes;
    // Index in the source text of the first character that CP932 cannot hold (the yen sign
    // U+00A5 and the overline U+203E included: they would read back as ASCII), or -1.
    // When it is set, `bytes` is empty: nothing half-converted is ever returned.
    qsizetype firstUnencodable = -1;

    bool isValid() const { return firstUnencodable < 0; }
};

Encoded encode(QStringView text);

// A character that encode() stores as a JIS character which decode() reads back in another
// spelling (the wave dash 〜 as the fullwidth tilde ～).
struct Respelling
{
    QString from;
    QString to;

    friend bool operator==(const Respelling &, const Respelling &) = default;
};

// Returns: each character of `text` that reads back from CP932 as another one, once, in the
// order of the text; empty when `text` comes back as it is or cannot be encoded.
QList<Respelling> respellings(QStringView text);

// Returns: the whole character (a surrogate pair stays together) that starts at `index`.
QString characterAt(QStringView text, qsizetype index);

} // namespace cp932
