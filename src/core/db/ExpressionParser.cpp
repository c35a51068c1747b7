#include "core/db/ExpressionParser.h"

#include <algorithm>
#include <utility>

namespace db::expr {

namespace detail {

namespace {

QStringList operatorsOf(Level level)
{
    switch (level) {
    case Level::Or:
        return {QStringLiteral("or")};
    case Level::And:
        return {QStringLiteral("and")};
    case Level::Concat:
        return {QStringLiteral("&")};
    case Level::Add:
        return {QStringLiteral("+"), QStringLiteral("-")};
    case Level::Mod:
        return {QStringLiteral("mod")};
    case Level::IntDiv:
        return {QStringLiteral("\\")};
    case Level::Mul:
        return {QStringLiteral("*"), QStringLiteral("/")};
    case Level::Pow:
        return {QStringLiteral("^")};
    default:
        return {};
    }
}

Level tighter(Level level)
{
    return Level(int(level) + 1);
}

bool isOperator(const Token& t, const QString& op)
{
    return t.isSymbol(op) || t.isKeyword(op);
}
} // namespace

Error Parser::run(NodePtr* root)
{
    NodePtr n;
    if (Error e = parse(Level::Or, n))
        return e;
    if (peek().kind != Token::End)
        return syntaxError(peek(), peek().isSymbol(u")")
                                       ? QStringLiteral("it closes a parenthesis never opened")
                                       : QStringLiteral("an operator is missing"));
    if (Error e = requireNumber(*n, QStringLiteral("a filter needs a Yes/No value")))
        return e;
    *root = std::move(n);
    return {};
}

// Parentheses and unary operators nest; each level costs one step.
Error Parser::enter()
{
    if (++m_depth > MaxExpressionNesting)
        return {ExpressionTooLong, QStringLiteral("The expression nests deeper than %1 levels.")
                                       .arg(MaxExpressionNesting)};
    return {};
}

Error Parser::parse(Level level, NodePtr& out)
{
    switch (level) {
    case Level::Not:
        return parseNot(out);
    case Level::Compare:
        return parseCompare(out);
    case Level::Neg:
    case Level::Signed:
        return parseSign(level, out);
    case Level::Primary:
        return parsePrimary(out);
    default:
        return parseBinary(level, out);
    }
}

Error Parser::parseBinary(Level level, NodePtr& out)
{
    const QStringList ops = operatorsOf(level);
    if (Error e = parse(tighter(level), out))
        return e;
    for (;;) {
        const Token& t = peek();
        const auto op = std::find_if(ops.begin(), ops.end(),
                                     [&](const QString& o) { return isOperator(t, o); });
        if (op == ops.end())
            return {};
        take();
        NodePtr right;
        if (Error e = parse(tighter(level), right))
            return e;
        if (Error e = combine(*op, t.pos, out, right))
            return e;
    }
}

Error Parser::combine(const QString& op, int pos, NodePtr& left, NodePtr& right)
{
    // + joins two texts, as & does, but lets a Null through as Null.
    const bool joinsText = op == u"+" && left->type == Type::Text && right->type == Type::Text;
    const bool joinsAny = op == u"&";
    if (!joinsText && !joinsAny) {
        if (Error e = requireNumber(*left, needsOf(op)))
            return e;
        if (Error e = requireNumber(*right, needsOf(op)))
            return e;
    }
    const bool logical = op == u"and" || op == u"or";
    const Type type = joinsText || joinsAny ? Type::Text : logical ? Type::Bool : Type::Number;
    NodePtr n = makeNode(Node::Binary, type, joinsText ? QStringLiteral("||") : op, pos);
    n->kids.push_back(std::move(left));
    n->kids.push_back(std::move(right));
    left = std::move(n);
    return {};
}

Error Parser::parseUnary(const QString& op, Type type, Level operand, NodePtr& out)
{
    const int pos = take().pos;
    if (Error e = enter())
        return e;
    NodePtr inner;
    if (Error e = parse(operand, inner))
        return e;
    --m_depth;
    if (Error e = requireNumber(*inner, needsOf(op)))
        return e;
    out = makeNode(Node::Unary, type, op, pos);
    out->kids.push_back(std::move(inner));
    return {};
}

Error Parser::parseNot(NodePtr& out)
{
    if (peek().isKeyword(u"not"))
        return parseUnary(QStringLiteral("not"), Type::Bool, Level::Not, out);
    return parse(Level::Compare, out);
}

Error Parser::parseSign(Level level, NodePtr& out)
{
    if (peek().isSymbol(u"-") || peek().isSymbol(u"+"))
        return parseUnary(peek().text, Type::Number, level, out);
    return parse(tighter(level), out);
}

} // namespace detail

Error parseFilter(const QList<Token>& tokens, const QList<FieldDef>& fields, NodePtr* root)
{
    return detail::Parser(tokens, fields).run(root);
}

} // namespace db::expr
