#pragma once

// The filter parser's pieces, shared by the files that hold its grammar:
// the binding levels, the type checks on nodes and the parser itself.
// Internal to the expression compiler.

#include "core/db/ExpressionTree.h"

#include <QStringList>
#include <vector>

namespace db::expr::detail {

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

// Type checks and node building (ExpressionChecks.cpp).
QString operatorName(const QString& op);
QString typeWord(Type t, bool plural);
QString describe(const Node& n);
Error mismatch(const Node& a, const Node& b);
bool compatible(Type a, Type b);
bool makeNumber(Node& literal);
bool convertLiteral(Node& literal, const Node& other);
Error unify(Node& a, Node& b);
Error requireNumber(Node& n, const QString& needs);
QString needsOf(const QString& op);
NodePtr makeNode(Node::Kind kind, Type type, const QString& op, int pos);

// The grammar's levels (ExpressionParser.cpp), the comparisons and other
// predicates (ExpressionPredicates.cpp), literals, names and parentheses
// (ExpressionPrimary.cpp).
class Parser
{
public:
    Parser(const QList<Token>& tokens, const QList<FieldDef>& fields)
        : m_tokens(tokens), m_fields(fields)
    {
    }

    Error run(NodePtr* root);

private:
    const Token& peek(int ahead = 0) const
    {
        return m_tokens[qMin<qsizetype>(m_next + ahead, m_tokens.size() - 1)];
    }
    const Token& take() { return m_tokens[qMin<qsizetype>(m_next++, m_tokens.size() - 1)]; }

    Error enter();
    Error parse(Level level, NodePtr& out);
    Error parseBinary(Level level, NodePtr& out);
    Error combine(const QString& op, int pos, NodePtr& left, NodePtr& right);
    Error parseUnary(const QString& op, Type type, Level operand, NodePtr& out);
    Error parseNot(NodePtr& out);
    Error parseSign(Level level, NodePtr& out);

    using PredicateParser = Error (Parser::*)(NodePtr& subject, const Token& at, bool negated);

    PredicateParser predicateAt(const Token& t, bool negated) const;
    Error parseCompare(NodePtr& out);
    void predicate(Node::Kind kind, const Token& at, bool negated, NodePtr& subject,
                   std::vector<NodePtr> operands);
    Error operand(NodePtr& subject, NodePtr& out);
    Error nameToCode(const Node& subject, Node& literal) const;
    Error parseComparison(NodePtr& subject, const Token& at, bool);
    Error parseLike(NodePtr& subject, const Token& at, bool negated);
    Error checkPattern(Node& pattern);
    Error parseBetween(NodePtr& subject, const Token& at, bool negated);
    Error parseIn(NodePtr& subject, const Token& at, bool negated);
    Error parseIs(NodePtr& subject, const Token& at, bool);

    Error parsePrimary(NodePtr& out);
    NodePtr literal(Type type, const QVariant& value);
    Error parseName(NodePtr& out);
    Error parseGroup(NodePtr& out);

    const QList<Token>& m_tokens;
    const QList<FieldDef>& m_fields;
    qsizetype m_next = 0;
    int m_depth = 0;
};

} // namespace db::expr::detail
