#pragma once

#include "core/db/Error.h"
#include "core/db/Fields.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace db {

class Database;

// A boolean SQL expression. Every literal of the user's text is a '?' in sql
// and a value in params, in order; field names appear only as the stored
// spelling of a known field, quoted.
struct CompiledFilter {
    QString sql;
    QVariantList params;
};
// One key of a sort: a field by its stored name, and its direction.
struct SortKey {
    QString field;
    bool descending = false;
};
// An ORDER BY list without "ORDER BY", and the keys it was compiled from.
struct CompiledSort {
    QString sql;
    QList<SortKey> keys;
};

// Compile Access/Jet-style filter and sort expressions against a record
// set's fields. Bad text gives ExpressionSyntax, UnknownField, ExpressionType
// or ExpressionTooLong with a description that says what and where; `out` is
// left untouched then.
//
// Filters: = <> < > <= >=, And, Or, Not, parentheses; [Not] Like 'pattern'
// (* ? # [list] [!list] [a-z]; % and _ are ordinary characters); [Not]
// Between a And b (bounds in either order); [Not] In (a, b, ...); Is [Not]
// Null; numbers, 'text' and "text" (a doubled quote inside stands for one),
// True and False (-1 and 0), Null, dates #m/d/yyyy# and #yyyy-mm-dd# (they
// compare as "yyyy-mm-dd" text); + - * / (real division), \ and Mod (on
// whole numbers), ^, & (joins text, Null as empty). Precedence from the
// tightest: ^, unary -, * /, \, Mod, + -, &, comparisons, Not, And, Or.
// Text compares without regard to case (collation YM_NOCASE).
//
// Where the old engine and SQLite differ, we chose:
// - "x = True" holds for any value but 0, so a Yes/No column holding 1
//   matches as well as one holding -1; "x = False" holds for 0.
// - Not is logical (Not 1 is False), not the old engine's bitwise Not.
// - A division by zero gives Null, so the row is not selected.
// - A literal adapts to what it meets: '12' against a number field is 12,
//   12 against a text field is '12'; 'abc' against a number is a mismatch.
// - Nesting that SQLite's parser cannot take (about 30 levels of
//   "a Or (b Or (...") is ExpressionTooLong, found when compiling.
//
// Sorts: field [ASC|DESC] {, field [ASC|DESC]}; text is ordered by YM_NOCASE.
Error compileFilter(const QString& text, const QList<FieldDef>& fields, CompiledFilter* out);
Error compileSort(const QString& text, const QList<FieldDef>& fields, CompiledSort* out);

} // namespace db
