#include "core/db/ExpressionParser.h"

#include "core/db/ExpressionText.h"

#include <optional>
#include <utility>

namespace db::expr::detail {

// The comparison, Like, Between, In or Is that the next token starts, if any.
Parser::PredicateParser Parser::predicateAt(const Token& t, bool negated) const
{
    static const QStringList comparisons = {QStringLiteral("="), QStringLiteral("<>"),
                                            QStringLiteral("<"), QStringLiteral("<="),
                                            QStringLiteral(">"), QStringLiteral(">=")};
    if (t.kind == Token::Symbol && comparisons.contains(t.text) && !negated)
        return &Parser::parseComparison;
    if (t.isKeyword(u"like"))
        return &Parser::parseLike;
    if (t.isKeyword(u"between"))
        return &Parser::parseBetween;
    if (t.isKeyword(u"in"))
        return &Parser::parseIn;
    if (t.isKeyword(u"is") && !negated)
        return &Parser::parseIs;
    return nullptr;
}

Error Parser::parseCompare(NodePtr& out)
{
    if (Error e = parse(Level::Concat, out))
        return e;
    for (;;) {
        // "x Not Like", "x Not Between", "x Not In"; any other Not ends the operand.
        const bool negated = peek().isKeyword(u"not") && predicateAt(peek(1), true);
        const PredicateParser parser = predicateAt(peek(negated ? 1 : 0), negated);
        if (!parser)
            return {};
        if (negated)
            take();
        if (Error e = (this->*parser)(out, take(), negated))
            return e;
    }
}

// Replaces `subject` by a node over it and the given operands.
void Parser::predicate(Node::Kind kind, const Token& at, bool negated, NodePtr& subject,
                       std::vector<NodePtr> operands)
{
    NodePtr n = makeNode(kind, Type::Bool, at.text.toLower(), at.pos);
    n->negated = negated;
    operands.insert(operands.begin(), std::move(subject));
    n->kids = std::move(operands);
    subject = std::move(n);
}

// An operand of a comparison, Between or In, unified with its subject.
Error Parser::operand(NodePtr& subject, NodePtr& out)
{
    if (Error e = parse(Level::Concat, out))
        return e;
    if (Error e = nameToCode(*subject, *out))
        return e;
    return unify(*subject, *out);
}

// A coded field compared with a name ("QB", "Harbor City Dragons")
// compares with the name's code; a whole number stays a code.
Error Parser::nameToCode(const Node& subject, Node& literal) const
{
    if (subject.kind != Node::Field || literal.kind != Node::Literal || literal.type != Type::Text)
        return {};
    const FieldDef* field = findField(m_fields, subject.text);
    const QString name = literal.value.toString();
    bool whole = false;
    name.trimmed().toLongLong(&whole);
    if (!field || !field->codeNamed || whole)
        return {};
    const std::optional<qint64> code = field->codeNamed(name);
    if (!code)
        return {ExpressionType, QStringLiteral("No %1 is named %2: the field \"%3\" is compared "
                                               "with a %1's name or its code.")
                                    .arg(field->codeNoun, literal.text, field->name)};
    // A code kept as text compares as text.
    literal.value =
        subject.type == Type::Text ? QVariant(QString::number(*code)) : QVariant(qlonglong(*code));
    literal.type = subject.type == Type::Text ? Type::Text : Type::Number;
    return {};
}

Error Parser::parseComparison(NodePtr& subject, const Token& at, bool)
{
    std::vector<NodePtr> operands(1);
    if (Error e = operand(subject, operands[0]))
        return e;
    predicate(Node::Compare, at, false, subject, std::move(operands));
    return {};
}

Error Parser::parseLike(NodePtr& subject, const Token& at, bool negated)
{
    std::vector<NodePtr> operands(1);
    if (Error e = parse(Level::Concat, operands[0]))
        return e;
    if (Error e = checkPattern(*operands[0]))
        return e;
    predicate(Node::Like, at, negated, subject, std::move(operands));
    return {};
}

// A typed pattern is checked now, so a bad one is a clear syntax error
// rather than a failure half-way through reading the rows.
Error Parser::checkPattern(Node& pattern)
{
    if (pattern.kind != Node::Literal || pattern.type == Type::Null)
        return {};
    if (pattern.type == Type::Bool)
        return {ExpressionType,
                QStringLiteral("Data type mismatch: %1, but Like needs a text pattern.")
                    .arg(describe(pattern))};
    if (pattern.type == Type::Number)
        pattern.value = pattern.text;
    pattern.type = Type::Text;
    QString why;
    if (!text::LikePattern::compile(pattern.value.toString(), &why)) {
        Token near;
        near.kind = Token::Text;
        near.text = pattern.text;
        near.pos = pattern.pos;
        return syntaxError(near, why);
    }
    return {};
}

Error Parser::parseBetween(NodePtr& subject, const Token& at, bool negated)
{
    std::vector<NodePtr> operands(2);
    if (Error e = operand(subject, operands[0]))
        return e;
    if (!peek().isKeyword(u"and"))
        return syntaxError(peek(), QStringLiteral("Between needs And between its two bounds"));
    take();
    if (Error e = operand(subject, operands[1]))
        return e;
    predicate(Node::Between, at, negated, subject, std::move(operands));
    return {};
}

Error Parser::parseIn(NodePtr& subject, const Token& at, bool negated)
{
    if (!peek().isSymbol(u"("))
        return syntaxError(peek(), QStringLiteral("In needs a list of values in parentheses"));
    take();
    std::vector<NodePtr> operands;
    for (;;) {
        operands.emplace_back();
        if (Error e = operand(subject, operands.back()))
            return e;
        if (!peek().isSymbol(u","))
            break;
        take();
    }
    if (!peek().isSymbol(u")"))
        return syntaxError(peek(), QStringLiteral("a closing parenthesis is missing"));
    take();
    predicate(Node::In, at, negated, subject, std::move(operands));
    return {};
}

Error Parser::parseIs(NodePtr& subject, const Token& at, bool)
{
    const bool negated = peek().isKeyword(u"not");
    if (negated)
        take();
    if (!peek().isKeyword(u"null"))
        return syntaxError(peek(), QStringLiteral("Is must be followed by Null or Not Null"));
    take();
    predicate(Node::IsNull, at, negated, subject, {});
    return {};
}

} // namespace db::expr::detail
