#pragma once

#include "db/Error.h"

#include <QList>
#include <QString>
#include <QVariantList>

namespace db {

class Database;

// A column's affinity, derived from its declared type the way SQLite does.
enum class Affinity { Integer, Real, Numeric, Text, Blob };
struct FieldDef {
    QString name; // as the file spells it
    Affinity affinity;
};

Affinity affinityOf(const QString& declaredType);
// The table's columns in stored order. A table the file lacks is MissingTable.
QList<FieldDef> fieldDefs(Database& db, const QString& table, Error* error = nullptr);

// A boolean SQL expression. Every literal of the user's text is a '?' in sql
// and a value in params, in order; field names appear only as the stored
// spelling of a known field, quoted.
struct CompiledFilter {
    QString sql;
    QVariantList params;
};
// An ORDER BY list without "ORDER BY".
struct CompiledSort {
    QString sql;
};

// Compile Access/Jet-style filter and sort expressions against a record set's
// fields. Bad text gives ExpressionSyntax, UnknownField, ExpressionType or
// ExpressionTooLong with a description that says what and where; `out` is
// left untouched then.
Error compileFilter(const QString& text, const QList<FieldDef>& fields, CompiledFilter* out);
Error compileSort(const QString& text, const QList<FieldDef>& fields, CompiledSort* out);

// Input caps: a longer text or deeper nesting is ExpressionTooLong.
inline constexpr int MaxExpressionLength = 2000;
inline constexpr int MaxExpressionNesting = 50;

} // namespace db
