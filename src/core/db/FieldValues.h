#pragma once

#include "core/db/Error.h"
#include "core/db/Fields.h"

#include <QString>
#include <QVariant>

// A field's declared limits and the conversion of typed text into what the
// field stores. No state: every function works from the FieldInfo it is given.
namespace db {

// One field of a table: the name as the file stores it, its affinity and
// what the declared type says about the values that fit.
struct FieldInfo {
    FieldDef def;
    QString declaredType;      // as written in CREATE TABLE, e.g. "INTEGER", "VARCHAR(20)"
    bool wholeNumbers = false; // integer fields, and Jet's narrow number types
    qint64 minimum = 0;        // the range of whole numbers that fit
    qint64 maximum = 0;
    int maxLength = 0; // characters, for text fields with a declared size; 0: no limit

    const QString& name() const { return def.name; }
};

// A field's affinity and limits, from its declared type: BYTE/TINYINT hold
// 0..255, SMALLINT/SHORT 16 bits, LONG/INT4/MEDIUMINT 32 bits, other whole
// numbers 64 bits; TEXT(n), VARCHAR(n) and CHAR(n) hold n characters.
FieldInfo describeField(const QString& name, const QString& declaredType);

// Turns a typed value into what the field stores: empty text is null,
// numbers are parsed in the C locale without group separators (a fraction in
// a whole-number field rounds to the nearest, a half to even). Text in a
// number field, a number out of the field's range or text longer than its
// size give ValueDoesNotFit naming the field.
Error convertValue(const FieldInfo& field, const QVariant& typed, QVariant* stored);

// The status bar's note when a value typed into a whole-number field was
// stored as a number that reads otherwise (a fraction rounded, an exponent
// worked out): "Founded: 45.5 was stored as 46 — the field holds whole
// numbers". Empty when the stored value reads as typed.
QString wholeNumberNote(const FieldInfo& field, const QString& shownName, const QVariant& typed,
                        const QVariant& stored);

// Whether two values are the same as SQLite stores them: the same storage
// type and value, so 45 and 45.0 or 1 and '1' differ; two nulls are the same.
bool sameStoredValue(const QVariant& a, const QVariant& b);

} // namespace db
