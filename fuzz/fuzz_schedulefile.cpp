// Feeds arbitrary bytes through everything that reads a schedule file: the CP932 decoder, the
// field reader and the record helpers. The reader over the undecoded bytes must give exactly
// the fields of the reader over the decoded text: any difference aborts.

#include "fieldlist.h"
#include "store/cp932.h"
#include "store/fieldreader.h"
#include "store/record.h"

#include <QByteArrayView>
#include <QStringList>

#include <cstdint>
#include <cstdlib>

// The number in characters [from, from + count) of a field that begins with eight digits.
static int digitsAt(QStringView field, qsizetype from, qsizetype count)
{
    return field.sliced(from, count).toInt();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const cp932::Decoded decoded = cp932::decode(bytes);
    if (decoded.text.size() > bytes.size())
        std::abort(); // one byte never decodes to more than one UTF-16 unit

    qsizetype fields = 0;
    fieldreader::forEachField(decoded.text, [&](QStringView field) {
        ++fields;
        if (record::beginsWithDateKey(field)) {
            const int year = digitsAt(field, 0, 4);
            const int month = digitsAt(field, 4, 2);
            const int day = digitsAt(field, 6, 2);
            if (record::keyOf(field) != record::dateKey(year, month, day))
                std::abort(); // eight digits always read back as the same key
        }
        (void)record::alarmOn(field);
        (void)record::memoOf(field);
        const cp932::Encoded encoded = cp932::encode(field);
        if (!encoded.isValid() && cp932::characterAt(field, encoded.firstUnencodable).isEmpty())
            std::abort();
    });
    // Every field but the last is ended by a delimiter, so there can never be more than one
    // field per character plus one.
    if (fields > decoded.text.size() + 1)
        std::abort();

    const QStringList textFields = readFields(decoded.text);
    qsizetype index = 0;
    fieldreader::forEachField(bytes, [&](QByteArrayView field) {
        if (index >= textFields.size() || cp932::decode(field).text != textFields[index])
            std::abort();
        ++index;
    });
    if (index != textFields.size())
        std::abort();
    return 0;
}
