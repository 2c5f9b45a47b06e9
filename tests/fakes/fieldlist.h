#pragma once

// The fields of a schedule file's text as a list, for comparing in tests.

#include "store/fieldreader.h"

#include <QStringList>
#include <QStringView>

// Returns: every field of `text`, in order, as the field reader finds them.
inline QStringList readFields(QStringView text)
{
    QStringList fields;
    fieldreader::forEachField(text, [&](QStringView field) { fields.append(field.toString()); });
    return fields;
}
