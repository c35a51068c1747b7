#include "core/db/ExpressionParser.h"

#include <cmath>
#include <memory>

namespace db::expr::detail {

QString operatorName(const QString& op)
{
    if (op == u"mod")
        return QStringLiteral("Mod");
    if (op == u"and" || op == u"or" || op == u"not")
        return op.left(1).toUpper() + op.mid(1);
    return op;
}

QString typeWord(Type t, bool plural)
{
    switch (t) {
    case Type::Number:
        return plural ? QStringLiteral("numbers") : QStringLiteral("a number");
    case Type::Text:
        return QStringLiteral("text");
    case Type::Date:
        return plural ? QStringLiteral("dates") : QStringLiteral("a date");
    case Type::Bool:
        return plural ? QStringLiteral("Yes/No values") : QStringLiteral("a Yes/No value");
    default:
        return plural ? QStringLiteral("values") : QStringLiteral("a value");
    }
}

// "the field "Age" holds numbers", "'abc' is text", "the expression at position 4 gives text"
QString describe(const Node& n)
{
    switch (n.kind) {
    case Node::Field:
        return QStringLiteral("the field \"%1\" holds %2").arg(n.text, typeWord(n.type, true));
    case Node::Literal:
        return QStringLiteral("%1 is %2").arg(n.text, typeWord(n.type, false));
    default:
        return QStringLiteral("the expression at position %1 gives %2")
            .arg(QString::number(n.pos + 1), typeWord(n.type, true));
    }
}

Error mismatch(const Node& a, const Node& b)
{
    return {ExpressionType,
            QStringLiteral("Data type mismatch: %1, but %2.").arg(describe(a), describe(b))};
}

bool compatible(Type a, Type b)
{
    auto either = [&](Type t) { return a == t || b == t; };
    auto pair = [&](Type x, Type y) { return (a == x && b == y) || (a == y && b == x); };
    return a == b || either(Type::Any) || either(Type::Null) || pair(Type::Number, Type::Bool) ||
           pair(Type::Text, Type::Date);
}
bool makeNumber(Node& literal)
{
    const QString s = literal.value.toString().trimmed();
    bool ok = false;
    const qlonglong whole = s.toLongLong(&ok);
    if (ok) {
        literal.value = whole;
    } else {
        const double real = s.toDouble(&ok);
        if (!ok || !std::isfinite(real))
            return false;
        literal.value = real;
    }
    literal.type = Type::Number;
    return true;
}

// Adapts a literal to what it is compared with: '12' against a number field
// becomes 12, and 12 against a text field becomes '12' as typed.
bool convertLiteral(Node& literal, const Node& other)
{
    if (literal.kind != Node::Literal)
        return false;
    if ((other.type == Type::Number || other.type == Type::Bool) && literal.type == Type::Text)
        return makeNumber(literal);
    if (other.type == Type::Text && other.kind != Node::Literal && literal.type == Type::Number) {
        literal.value = literal.text;
        literal.type = Type::Text;
        return true;
    }
    return false;
}

Error unify(Node& a, Node& b)
{
    if (compatible(a.type, b.type))
        return {};
    if (a.kind != Node::Literal && b.kind != Node::Literal)
        return {}; // two fields or expressions: the engine converts per row
    if (convertLiteral(b, a) || convertLiteral(a, b))
        return {};
    return mismatch(a, b);
}

// Arithmetic and logic work on numbers (Yes/No values are -1 and 0). A text
// field may still hold digits, so only literals are judged here.
Error requireNumber(Node& n, const QString& needs)
{
    const bool textLiteral = n.type == Type::Text && n.kind == Node::Literal;
    if (n.type == Type::Date || (textLiteral && !makeNumber(n)))
        return {ExpressionType,
                QStringLiteral("Data type mismatch: %1, but %2.").arg(describe(n), needs)};
    return {};
}

QString needsOf(const QString& op)
{
    const bool logical = op == u"and" || op == u"or" || op == u"not";
    return QStringLiteral("%1 needs %2")
        .arg(operatorName(op),
             logical ? QStringLiteral("Yes/No values") : QStringLiteral("numbers"));
}

NodePtr makeNode(Node::Kind kind, Type type, const QString& op, int pos)
{
    auto n = std::make_unique<Node>();
    n->kind = kind;
    n->type = type;
    n->op = op;
    n->pos = pos;
    return n;
}

} // namespace db::expr::detail
