#include "core/db/ExpressionParser.h"

namespace db::expr {

namespace detail {

Error Parser::parsePrimary(NodePtr& out)
{
    const Token& t = peek();
    switch (t.kind) {
    case Token::Number:
        out = literal(Type::Number, t.value);
        return {};
    case Token::Text:
        out = literal(Type::Text, t.value);
        return {};
    case Token::Date:
        out = literal(Type::Date, t.value);
        return {};
    case Token::Name:
        return parseName(out);
    case Token::Symbol:
        if (t.isSymbol(u"("))
            return parseGroup(out);
        break;
    case Token::End:
        break;
    }
    return syntaxError(t, QStringLiteral("a value is missing"));
}

NodePtr Parser::literal(Type type, const QVariant& value)
{
    const Token& t = take();
    NodePtr n = makeNode(Node::Literal, type, {}, t.pos);
    n->value = value;
    n->text = t.text;
    return n;
}

Error Parser::parseName(NodePtr& out)
{
    const Token& t = peek();
    // True and False are stored as -1 and 0, the way the old engine kept them.
    if (t.isKeyword(u"true") || t.isKeyword(u"false")) {
        out = literal(Type::Bool, qlonglong(t.isKeyword(u"true") ? -1 : 0));
        return {};
    }
    if (t.isKeyword(u"null")) {
        out = literal(Type::Null, QVariant());
        return {};
    }
    static const char16_t* const reserved[] = {u"and",     u"or", u"not", u"like",
                                               u"between", u"in", u"is",  u"mod"};
    for (const char16_t* word : reserved)
        if (t.isKeyword(word))
            return syntaxError(t, QStringLiteral("a value is missing"));
    const FieldDef* field = findField(m_fields, t.text);
    if (!field)
        return unknownField(t.text);
    take();
    out = makeNode(Node::Field, typeOf(field->affinity), {}, t.pos);
    out->text = field->name;
    return {};
}

Error Parser::parseGroup(NodePtr& out)
{
    take();
    if (Error e = enter())
        return e;
    if (Error e = parse(Level::Or, out))
        return e;
    --m_depth;
    if (!peek().isSymbol(u")"))
        return syntaxError(peek(), QStringLiteral("a closing parenthesis is missing"));
    take();
    return {};
}

} // namespace detail

Type typeOf(Affinity affinity)
{
    switch (affinity) {
    case Affinity::Integer:
    case Affinity::Real:
        return Type::Number;
    case Affinity::Text:
        return Type::Text;
    default:
        return Type::Any;
    }
}

const FieldDef* findField(const QList<FieldDef>& fields, const QString& name)
{
    for (const FieldDef& f : fields)
        if (f.name.compare(name, Qt::CaseInsensitive) == 0)
            return &f;
    for (const FieldDef& f : fields)
        if (f.aliases.contains(name, Qt::CaseInsensitive))
            return &f;
    return nullptr;
}

Error unknownField(const QString& name)
{
    return {UnknownField, QStringLiteral("Unknown field \"%1\" in the expression.").arg(name)};
}

} // namespace db::expr
