#pragma once

// The one way the schedule file is read: field by field.
//  - A field that begins with a quotation mark runs to the next quotation mark, across line ends
//    if need be (a memo typed with line breaks comes back whole); the marks are not part of the
//    value. Whatever follows the closing mark up to the next comma or line end is dropped
//    (only a hand-edited file has anything there). An unterminated quote runs to the end of
//    the text.
//  - Any other field ends at the first comma or at the end of its line.
//  - An empty line reads as an empty field. CR LF, LF alone and CR alone all end a line.
//
// The same reading works on the file's bytes before they are decoded: the marks it looks for
// (quotation mark, comma, blank, tab, CR, LF) are all below 0x40, and in CP932 the second byte
// of a two-byte character is always 0x40 or above, while an invalid byte decodes to one
// character of its own. So the fields of the bytes, each decoded, are the fields of the
// decoded text, and only the fields that are used need decoding.

#include <QByteArrayView>
#include <QStringView>

#include <cstring>
#include <utility>

namespace fieldreader {

namespace detail {

// The reader over `size` characters at `data`; fields are reported as (start, length,
// unitStart, unitEnd): the unit is the field with its quotation marks and the comma or line end
// after it, so that taking a unit out of the text takes out only that field.
template<typename Char, typename Visitor, typename DropVisitor>
void forEachSpan(const Char *data, qsizetype size, Visitor &&visit, DropVisitor &&dropped)
{
    const auto find = [&](Char c, qsizetype from) -> qsizetype {
        if constexpr (sizeof(Char) == 1) {
            const void *hit = std::memchr(data + from, c, size_t(size - from));
            return hit ? static_cast<const Char *>(hit) - data : -1;
        } else {
            const qsizetype hit = QStringView(data + from, size - from).indexOf(QChar(c));
            return hit < 0 ? -1 : from + hit;
        }
    };
    const auto endsField = [&](qsizetype k) {
        return data[k] == Char(',') || data[k] == Char('\r') || data[k] == Char('\n');
    };
    qsizetype pos = 0;

    // Moves `pos` past the comma or the line end that starts at it, if any.
    const auto skipDelimiter = [&] {
        if (pos >= size)
            return;
        if (data[pos] == Char(',') || data[pos] == Char('\n')) {
            ++pos;
        } else if (data[pos] == Char('\r')) {
            ++pos;
            if (pos < size && data[pos] == Char('\n'))
                ++pos;
        }
    };

    while (pos < size) {
        if (data[pos] == Char('"')) {
            const qsizetype close = find(Char('"'), pos + 1);
            if (close < 0) {
                visit(pos + 1, size - pos - 1, pos, size);
                return;
            }
            const qsizetype unitStart = pos;
            const qsizetype start = pos + 1;
            pos = close + 1;
            qsizetype firstDropped = -1;
            for (; pos < size && !endsField(pos); ++pos) {
                if (firstDropped < 0 && data[pos] != Char(' ') && data[pos] != Char('\t'))
                    firstDropped = pos;
            }
            if (firstDropped >= 0)
                dropped(firstDropped);
            skipDelimiter();
            visit(start, close - start, unitStart, pos);
        } else {
            const qsizetype start = pos;
            while (pos < size && !endsField(pos))
                ++pos;
            const qsizetype end = pos;
            skipDelimiter();
            visit(start, end - start, start, pos);
        }
    }
}

} // namespace detail

// Calls `visit(QStringView field)` for every field of `text`, in order. The views point into
// `text`. Calls `dropped(qsizetype position)` for each stretch of text other than blanks that
// follows a closing quotation mark and is dropped, with the position of its first character.
template<typename Visitor, typename DropVisitor>
void forEachField(QStringView text, Visitor &&visit, DropVisitor &&dropped)
{
    detail::forEachSpan(
            text.utf16(), text.size(),
            [&](qsizetype from, qsizetype length, qsizetype, qsizetype) {
                visit(text.sliced(from, length));
            },
            std::forward<DropVisitor>(dropped));
}

template<typename Visitor> void forEachField(QStringView text, Visitor &&visit)
{
    forEachField(text, std::forward<Visitor>(visit), [](qsizetype) {});
}

// The same over the undecoded bytes of the file: `visit(QByteArrayView field)`, and
// `dropped(qsizetype position)` with the position of a byte.
template<typename Visitor, typename DropVisitor>
void forEachField(QByteArrayView bytes, Visitor &&visit, DropVisitor &&dropped)
{
    detail::forEachSpan(
            bytes.data(), bytes.size(),
            [&](qsizetype from, qsizetype length, qsizetype, qsizetype) {
                visit(bytes.sliced(from, length));
            },
            std::forward<DropVisitor>(dropped));
}

template<typename Visitor> void forEachField(QByteArrayView bytes, Visitor &&visit)
{
    forEachField(bytes, std::forward<Visitor>(visit), [](qsizetype) {});
}

// The same with each field's unit: `visit(QByteArrayView field, qsizetype unitStart,
// qsizetype unitEnd)`, the unit being the bytes [unitStart, unitEnd) that hold the field, its
// quotation marks and the comma or line end after it.
template<typename Visitor> void forEachUnit(QByteArrayView bytes, Visitor &&visit)
{
    detail::forEachSpan(
            bytes.data(), bytes.size(),
            [&](qsizetype from, qsizetype length, qsizetype unitStart, qsizetype unitEnd) {
                visit(bytes.sliced(from, length), unitStart, unitEnd);
            },
            [](qsizetype) {});
}

// Returns: the number, from 1, of the line that holds byte `position` of `bytes`, lines ended as
// the reader ends them: CR LF, LF alone or CR alone.
inline qsizetype lineAt(QByteArrayView bytes, qsizetype position)
{
    qsizetype line = 1;
    for (qsizetype k = 0; k < position && k < bytes.size(); ++k) {
        if (bytes[k] == '\n'
            || (bytes[k] == '\r' && (k + 1 >= bytes.size() || bytes[k + 1] != '\n')))
            ++line;
    }
    return line;
}

} // namespace fieldreader
