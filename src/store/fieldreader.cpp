#include "store/fieldreader.h"

namespace fieldreader {

QStringList readFields(QStringView text)
{
    QStringList fields;
    forEachField(text, [&](QStringView field) { fields.append(field.toString()); });
    return fields;
}

} // namespace fieldreader
