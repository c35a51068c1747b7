#include "core/db/Expression.h"

#include "core/db/Database.h"
#include "core/db/ExpressionTree.h"

#include <utility>

namespace db {

using expr::Token;

Affinity affinityOf(const QString& declaredType)
{
    // SQLite's own rules, checked in its order.
    const QString t = declaredType.toUpper();
    if (t.contains(u"INT"))
        return Affinity::Integer;
    if (t.contains(u"CHAR") || t.contains(u"CLOB") || t.contains(u"TEXT"))
        return Affinity::Text;
    if (t.isEmpty() || t.contains(u"BLOB"))
        return Affinity::Blob;
    if (t.contains(u"REAL") || t.contains(u"FLOA") || t.contains(u"DOUB"))
        return Affinity::Real;
    return Affinity::Numeric;
}

Error compileFilter(const QString& text, const QList<FieldDef>& fields, CompiledFilter* out)
{
    QList<Token> tokens;
    if (Error e = expr::tokenize(text, &tokens))
        return e;
    expr::NodePtr root;
    if (Error e = expr::parseFilter(tokens, fields, &root))
        return e;
    CompiledFilter result;
    expr::emitSql(*root, &result.sql, &result.params);
    if (Error e = expr::checkWithEngine(result.sql, fields))
        return e;
    *out = std::move(result);
    return {};
}

namespace {

// One sort key: a field, then ASC or DESC if given.
Error sortKey(const QList<Token>& tokens, qsizetype& i, const QList<FieldDef>& fields,
              CompiledSort* sort)
{
    QString* sql = &sort->sql;
    const Token& name = tokens[i];
    if (name.kind != Token::Name || name.isKeyword(u"asc") || name.isKeyword(u"desc"))
        return expr::syntaxError(name, QStringLiteral("a field name is missing"));
    const FieldDef* field = expr::findField(fields, name.text);
    if (!field)
        return expr::unknownField(name.text);
    ++i;
    const SortKey key{field->name, tokens[i].isKeyword(u"desc")};
    sort->keys << key;
    *sql += quoteIdentifier(field->name);
    // Only text is ordered by the collation; numbers keep their index.
    if (expr::typeOf(field->affinity) != expr::Type::Number)
        *sql += QStringLiteral(" COLLATE YM_NOCASE");
    if (key.descending)
        *sql += QStringLiteral(" DESC");
    if (tokens[i].isKeyword(u"asc") || tokens[i].isKeyword(u"desc"))
        ++i;
    return {};
}

} // namespace

Error compileSort(const QString& text, const QList<FieldDef>& fields, CompiledSort* out)
{
    QList<Token> tokens;
    if (Error e = expr::tokenize(text, &tokens))
        return e;
    CompiledSort sort;
    for (qsizetype i = 0;;) {
        if (Error e = sortKey(tokens, i, fields, &sort))
            return e;
        if (tokens[i].kind == Token::End)
            break;
        if (!tokens[i].isSymbol(u","))
            return expr::syntaxError(tokens[i],
                                     QStringLiteral("a comma or the end of the sort is expected"));
        ++i;
        sort.sql += QStringLiteral(", ");
    }
    *out = std::move(sort);
    return {};
}

} // namespace db
