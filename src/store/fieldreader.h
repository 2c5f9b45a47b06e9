#pragma once

// The one way the schedule file is read: field by field.
//  - A field that begins with a quotation mark runs to the next quotation mark, across line ends
//    if need be (a memo typed with line breaks comes back whole); the marks are not part of the
//    value. Whatever follows the closing mark up to the next comma or line end is dropped
//    (only a hand-edited file has anything there). An unterminated quote runs to the end of
//    the text.
//  - Any other field ends at the first comma or at the end of its line.
//  - An empty line reads as an empty field. CR LF, LF alone and CR alone all end a line.

#include <QStringList>
#include <QStringView>

#include <utility>

namespace fieldreader {

// Calls `visit(QStringView field)` for every field of `text`, in order. The views point into
// `text`. Calls `dropped(qsizetype position)` for each stretch of text other than blanks that
// follows a closing quotation mark and is dropped, with the position of its first character.
template<typename Visitor, typename DropVisitor>
void forEachField(QStringView text, Visitor &&visit, DropVisitor &&dropped)
{
    const qsizetype size = text.size();
    const char16_t *const data = text.utf16();
    qsizetype pos = 0;

    // Moves `pos` past the line end that starts at it, if any.
    const auto skipLineEnd = [&] {
        if (pos < size && data[pos] == u'\r')
            ++pos;
        else if (pos < size && data[pos] == u'\n') {
            ++pos;
            return;
        } else
            return;
        if (pos < size && data[pos] == u'\n')
            ++pos;
    };

    while (pos < size) {
        if (data[pos] == u'"') {
            const qsizetype close = text.indexOf(u'"', pos + 1);
            if (close < 0) {
                visit(text.sliced(pos + 1));
                return;
            }
            const QStringView field = text.sliced(pos + 1, close - pos - 1);
            pos = close + 1;
            qsizetype firstDropped = -1;
            while (pos < size && data[pos] != u',' && data[pos] != u'\r' && data[pos] != u'\n') {
                if (firstDropped < 0 && data[pos] != u' ' && data[pos] != u'\t')
                    firstDropped = pos;
                ++pos;
            }
            if (firstDropped >= 0)
                dropped(firstDropped);
            if (pos < size && data[pos] == u',')
                ++pos;
            else
                skipLineEnd();
            visit(field);
        } else {
            qsizetype end = pos;
            while (end < size && data[end] != u',' && data[end] != u'\r' && data[end] != u'\n')
                ++end;
            const QStringView field = text.sliced(pos, end - pos);
            pos = end;
            if (pos < size && data[pos] == u',')
                ++pos;
            else
                skipLineEnd();
            visit(field);
        }
    }
}

template<typename Visitor> void forEachField(QStringView text, Visitor &&visit)
{
    forEachField(text, std::forward<Visitor>(visit), [](qsizetype) {});
}

// Returns: every field of `text`, in order.
QStringList readFields(QStringView text);

} // namespace fieldreader
