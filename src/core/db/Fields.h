#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// The fields of a table as the record sets and the expression compiler see
// them, and the caps on an expression's text.
namespace db {

// A column's affinity, derived from its declared type the way SQLite does.
enum class Affinity { Integer, Real, Numeric, Text, Blob };
struct FieldDef {
    QString name; // as the file spells it
    Affinity affinity;
    // Other names an expression may use for the field (a grid's column
    // captions). A field's own name wins over another field's alias.
    QStringList aliases = {};
    // A coded field (a position, a team): compared with text that is not a
    // whole number, the text is a name and stands for its code; a name no
    // code has is an error that names it and says what the codes are (noun).
    std::function<std::optional<qint64>(const QString& name)> codeNamed = {};
    QString codeNoun = {};
};

Affinity affinityOf(const QString& declaredType);

// A field name as a sort or filter writes it: in brackets, a "]" inside
// doubled, so that any stored name reads back as itself.
QString bracketedName(const QString& field);

// Input caps: a longer text or deeper nesting is ExpressionTooLong.
inline constexpr int MaxExpressionLength = 2000;
inline constexpr int MaxExpressionNesting = 50;

} // namespace db
