#include "core/db/ExpressionText.h"
#include "core/db/ExpressionTree.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

namespace db::expr {

namespace {

// Binary operators from the loosest to the tightest binding, as Access orders
// them. Not and the comparisons sit between And and &; unary minus between *
// and ^, so -2^2 is -4, while an exponent may carry its own sign (2^-1).
enum class Level {
    Or,
    And,
    Not,
    Compare,
    Concat,
    Add,
    Mod,
    IntDiv,
    Mul,
    Neg,
    Pow,
    Signed,
    Primary
};

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

// Text typed where a number belongs counts when it reads as one (' 12 ', '1.5').
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

class Parser
{
public:
    Parser(const QList<Token>& tokens, const QList<FieldDef>& fields)
        : m_tokens(tokens), m_fields(fields)
    {
    }

    Error run(NodePtr* root)
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

private:
    const Token& peek(int ahead = 0) const
    {
        return m_tokens[qMin<qsizetype>(m_next + ahead, m_tokens.size() - 1)];
    }
    const Token& take() { return m_tokens[qMin<qsizetype>(m_next++, m_tokens.size() - 1)]; }

    // Parentheses and unary operators nest; each level costs one step.
    Error enter()
    {
        if (++m_depth > MaxExpressionNesting)
            return {ExpressionTooLong, QStringLiteral("The expression nests deeper than %1 levels.")
                                           .arg(MaxExpressionNesting)};
        return {};
    }

    Error parse(Level level, NodePtr& out)
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

    Error parseBinary(Level level, NodePtr& out)
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

    Error combine(const QString& op, int pos, NodePtr& left, NodePtr& right)
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

    Error parseUnary(const QString& op, Type type, Level operand, NodePtr& out)
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

    Error parseNot(NodePtr& out)
    {
        if (peek().isKeyword(u"not"))
            return parseUnary(QStringLiteral("not"), Type::Bool, Level::Not, out);
        return parse(Level::Compare, out);
    }

    Error parseSign(Level level, NodePtr& out)
    {
        if (peek().isSymbol(u"-") || peek().isSymbol(u"+"))
            return parseUnary(peek().text, Type::Number, level, out);
        return parse(tighter(level), out);
    }

    using PredicateParser = Error (Parser::*)(NodePtr& subject, const Token& at, bool negated);

    // The comparison, Like, Between, In or Is that the next token starts, if any.
    PredicateParser predicateAt(const Token& t, bool negated) const
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

    Error parseCompare(NodePtr& out)
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
    void predicate(Node::Kind kind, const Token& at, bool negated, NodePtr& subject,
                   std::vector<NodePtr> operands)
    {
        NodePtr n = makeNode(kind, Type::Bool, at.text.toLower(), at.pos);
        n->negated = negated;
        operands.insert(operands.begin(), std::move(subject));
        n->kids = std::move(operands);
        subject = std::move(n);
    }

    // An operand of a comparison, Between or In, unified with its subject.
    Error operand(NodePtr& subject, NodePtr& out)
    {
        if (Error e = parse(Level::Concat, out))
            return e;
        if (Error e = nameToCode(*subject, *out))
            return e;
        return unify(*subject, *out);
    }

    // A coded field compared with a name ("QB", "Harbor City Dragons")
    // compares with the name's code; a whole number stays a code.
    Error nameToCode(const Node& subject, Node& literal) const
    {
        if (subject.kind != Node::Field || literal.kind != Node::Literal ||
            literal.type != Type::Text)
            return {};
        const FieldDef* field = findField(m_fields, subject.text);
        const QString name = literal.value.toString();
        bool whole = false;
        name.trimmed().toLongLong(&whole);
        if (!field || !field->codeNamed || whole)
            return {};
        const std::optional<qint64> code = field->codeNamed(name);
        if (!code)
            return {ExpressionType,
                    QStringLiteral("No %1 is named %2: the field \"%3\" is compared "
                                   "with a %1's name or its code.")
                        .arg(field->codeNoun, literal.text, field->name)};
        // A code kept as text compares as text.
        literal.value = subject.type == Type::Text ? QVariant(QString::number(*code))
                                                   : QVariant(qlonglong(*code));
        literal.type = subject.type == Type::Text ? Type::Text : Type::Number;
        return {};
    }

    Error parseComparison(NodePtr& subject, const Token& at, bool)
    {
        std::vector<NodePtr> operands(1);
        if (Error e = operand(subject, operands[0]))
            return e;
        predicate(Node::Compare, at, false, subject, std::move(operands));
        return {};
    }

    Error parseLike(NodePtr& subject, const Token& at, bool negated)
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
    Error checkPattern(Node& pattern)
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

    Error parseBetween(NodePtr& subject, const Token& at, bool negated)
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

    Error parseIn(NodePtr& subject, const Token& at, bool negated)
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

    Error parseIs(NodePtr& subject, const Token& at, bool)
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

    Error parsePrimary(NodePtr& out)
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

    NodePtr literal(Type type, const QVariant& value)
    {
        const Token& t = take();
        NodePtr n = makeNode(Node::Literal, type, {}, t.pos);
        n->value = value;
        n->text = t.text;
        return n;
    }

    Error parseName(NodePtr& out)
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

    Error parseGroup(NodePtr& out)
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

    const QList<Token>& m_tokens;
    const QList<FieldDef>& m_fields;
    qsizetype m_next = 0;
    int m_depth = 0;
};

} // namespace

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

Error parseFilter(const QList<Token>& tokens, const QList<FieldDef>& fields, NodePtr* root)
{
    return Parser(tokens, fields).run(root);
}

} // namespace db::expr
