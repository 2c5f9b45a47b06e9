#include "store/cp932.h"

#include <QtEndian>

#include <cerrno>
#include <iconv.h>

namespace cp932 {

namespace {

constexpr const char *utf16Name
        = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE";

// One iconv conversion descriptor, closed on every path.
class Converter
{
public:
    Converter(const char *to, const char *from) : m_cd(iconv_open(to, from)) { }
    ~Converter()
    {
        if (isOpen())
            iconv_close(m_cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    bool isOpen() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as it can; returns iconv's result and leaves errno as iconv set it.
    size_t convert(const char **in, size_t *inLeft, char **out, size_t *outLeft)
    {
        return iconv(m_cd, const_cast<char **>(in), inLeft, out, outLeft);
    }

private:
    iconv_t m_cd;
};

// glibc stores these two as the ASCII bytes 0x5C and 0x7E, which read back as "\\" and "~":
// the text would come back changed, so they count as characters CP932 cannot hold. Characters
// that Unicode spells twice for one JIS character (the wave dash 〜 and the fullwidth tilde ～,
// the minus sign − and －, ¢ £ ¬ ‖ —) are stored as that JIS character and read back in the
// spelling Windows gives it: the same character to a reader, as other programs write it.
qsizetype firstChangedToAscii(QStringView text)
{
    for (qsizetype k = 0; k < text.size(); ++k) {
        if (text[k].unicode() == 0x00A5 || text[k].unicode() == 0x203E)
            return k;
    }
    return -1;
}

} // namespace

Decoded decode(QByteArrayView bytes)
{
    Decoded result;
    // Opening a descriptor costs more than decoding a record: readers that decode one field
    // at a time share one per thread. CP932 keeps no state between characters.
    thread_local Converter converter(utf16Name, "CP932");
    if (!converter.isOpen()) {
        result.firstInvalidByte = bytes.isEmpty() ? -1 : 0;
        return result;
    }
    // Every CP932 byte sequence yields at most one UTF-16 unit per byte.
    result.text.resize(bytes.size());
    const char *in = bytes.data();
    size_t inLeft = size_t(bytes.size());
    char *outBase = reinterpret_cast<char *>(result.text.data());
    char *out = outBase;
    size_t outLeft = size_t(bytes.size()) * sizeof(char16_t);

    while (inLeft > 0) {
        if (converter.convert(&in, &inLeft, &out, &outLeft) != size_t(-1))
            break;
        if (errno != EILSEQ && errno != EINVAL)
            break; // E2BIG cannot happen: the output has room for one unit per byte.
        if (result.firstInvalidByte < 0)
            result.firstInvalidByte = in - bytes.data();
        // Replace the offending byte and go on with the next one.
        const char16_t replacement = u'\uFFFD';
        memcpy(out, &replacement, sizeof replacement);
        out += sizeof replacement;
        outLeft -= sizeof replacement;
        ++in;
        --inLeft;
    }
    result.text.resize((out - outBase) / qsizetype(sizeof(char16_t)));
    return result;
}

qsizetype firstInvalidByte(QByteArrayView bytes)
{
    constexpr qsizetype block = 64 * 1024;
    const auto byteAt = [&](qsizetype k) { return static_cast<unsigned char>(bytes[k]); };
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = qMin(start + block, bytes.size());
        if (end < bytes.size()) {
            // A block ends after a byte below 0x40, which is never the second byte of a
            // character, so no character is cut in two (a lead byte before it is invalid
            // either way). Where the block has none, it ends after a whole character, found by
            // walking from its start.
            qsizetype cut = end;
            while (cut > start && byteAt(cut - 1) >= 0x40)
                --cut;
            if (cut == start) {
                const auto isLead = [](unsigned char b) {
                    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
                };
                for (cut = start; cut < end; cut += isLead(byteAt(cut)) ? 2 : 1) { }
            }
            end = qMin(cut, bytes.size());
        }
        const qsizetype invalid = decode(bytes.sliced(start, end - start)).firstInvalidByte;
        if (invalid >= 0)
            return start + invalid;
        start = end;
    }
    return -1;
}

Encoded encode(QStringView text)
{
    Encoded result;
    if (const qsizetype changed = firstChangedToAscii(text); changed >= 0) {
        const Encoded before = encode(text.first(changed));
        result.firstUnencodable = before.isValid() ? changed : before.firstUnencodable;
        return result;
    }
    Converter converter("CP932", utf16Name);
    if (!converter.isOpen()) {
        result.firstUnencodable = text.isEmpty() ? -1 : 0;
        return result;
    }
    // A UTF-16 unit never needs more than two CP932 bytes.
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    const char *inBase = reinterpret_cast<const char *>(text.utf16());
    const char *in = inBase;
    size_t inLeft = size_t(text.size()) * sizeof(char16_t);
    char *out = bytes.data();
    size_t outLeft = size_t(bytes.size());

    if (converter.convert(&in, &inLeft, &out, &outLeft) == size_t(-1)) {
        // EILSEQ stops on the character; EINVAL on a lone high surrogate at the end.
        result.firstUnencodable = (in - inBase) / qsizetype(sizeof(char16_t));
        return result;
    }
    bytes.truncate(out - bytes.data());
    result.bytes = std::move(bytes);
    return result;
}

QList<Respelling> respellings(QStringView text)
{
    QList<Respelling> found;
    const Encoded whole = encode(text);
    if (!whole.isValid() || decode(whole.bytes).text == text)
        return found;
    for (qsizetype k = 0; k < text.size();) {
        const QString from = characterAt(text, k);
        k += from.size();
        if (from.front().unicode() < 0x80)
            continue;
        const QString to = decode(encode(from).bytes).text;
        if (to != from && !found.contains(Respelling {from, to}))
            found.append({from, to});
    }
    return found;
}

QString characterAt(QStringView text, qsizetype index)
{
    if (index < 0 || index >= text.size())
        return QString();
    if (text[index].isHighSurrogate() && index + 1 < text.size()
        && text[index + 1].isLowSurrogate())
        return text.mid(index, 2).toString();
    return text.mid(index, 1).toString();
}

} // namespace cp932
