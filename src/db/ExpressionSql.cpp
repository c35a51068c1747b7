#include "db/ExpressionTree.h"

namespace db::expr {

namespace {

const QString NoCase = QStringLiteral(" COLLATE YM_NOCASE");

bool numeric(const Node& n)
{
    return n.type == Type::Number || n.type == Type::Bool;
}

// Text compares without regard to case. Numbers skip the collation, which
// changes nothing for them and leaves an index on the column usable.
QString collationFor(const Node& node)
{
    const auto& kids = node.kids;
    const bool anyNumeric = std::any_of(kids.begin(), kids.end(),
                                        [](const NodePtr& k) { return numeric(*k); });
    return anyNumeric ? QString() : NoCase;
}

bool isBoolLiteral(const Node& n)
{
    return n.kind == Node::Literal && n.type == Type::Bool;
}

class Emitter
{
public:
    Emitter(QString* sql, QVariantList* params) : m_sql(*sql), m_params(*params) {}

    void node(const Node& n)
    {
        switch (n.kind) {
        case Node::Literal:
            m_sql += QLatin1Char('?');
            m_params.append(n.value);
            break;
        case Node::Field:
            m_sql += quotedIdentifier(n.text);
            break;
        case Node::Unary:
            unary(n);
            break;
        case Node::Binary:
            binary(n);
            break;
        case Node::Compare:
            compare(n);
            break;
        case Node::Like:
            call(n.negated ? u"(NOT ym_like(" : u"(ym_like(", *n.kids[0], *n.kids[1], u"))");
            break;
        case Node::Between:
            between(n);
            break;
        case Node::In:
            in(n);
            break;
        case Node::IsNull:
            put(u"(", *n.kids[0], n.negated ? u" IS NOT NULL)" : u" IS NULL)");
            break;
        }
    }

private:
    void put(QStringView before, const Node& n, QStringView after)
    {
        m_sql += before;
        node(n);
        m_sql += after;
    }

    void call(QStringView open, const Node& a, const Node& b, QStringView close)
    {
        put(open, a, u", ");
        put({}, b, close);
    }

    void unary(const Node& n)
    {
        if (n.op == u"not")
            put(u"(NOT ", *n.kids[0], u")");
        else if (n.op == u"-")
            put(u"(-", *n.kids[0], u")");
        else
            node(*n.kids[0]);
    }

    void binary(const Node& n)
    {
        const Node& a = *n.kids[0];
        const Node& b = *n.kids[1];
        if (n.op == u"&")
            call(u"(COALESCE(", a, b, u", ''))");
        else if (n.op == u"\\")
            call(u"ym_intdiv(", a, b, u")");
        else if (n.op == u"mod")
            call(u"ym_mod(", a, b, u")");
        else if (n.op == u"^")
            call(u"ym_pow(", a, b, u")");
        else if (n.op == u"/")
            infix(a, u" * 1.0 / ", b); // real division even for two whole numbers
        else
            infix(a, QString(QLatin1Char(' ') + n.op.toUpper() + QLatin1Char(' ')), b);
    }

    void infix(const Node& a, QStringView op, const Node& b)
    {
        put(u"(", a, op);
        put({}, b, u")");
    }

    void compare(const Node& n)
    {
        const Node& a = *n.kids[0];
        const Node& b = *n.kids[1];
        const bool equality = n.op == u"=" || n.op == u"<>";
        if (equality && isBoolLiteral(a) != isBoolLiteral(b)) {
            truth(n, isBoolLiteral(a) ? b : a, isBoolLiteral(a) ? a : b);
            return;
        }
        put(u"(", a, QString(collationFor(n) + QLatin1Char(' ') + n.op + QLatin1Char(' ')));
        put({}, b, u")");
    }

    // "= True" holds for every value other than 0, so Yes/No columns written
    // as 1 by SQLite tools match as well as those holding -1 as the old
    // engine wrote them.
    void truth(const Node& n, const Node& value, const Node& boolean)
    {
        const bool wantTrue = (boolean.value.toLongLong() != 0) == (n.op == u"=");
        put(u"(", value, wantTrue ? u" <> 0)" : u" = 0)");
    }

    // Bounds given the wrong way round select the same rows as the right way.
    void between(const Node& n)
    {
        const QString coll = collationFor(n);
        put(u"(", *n.kids[0], QString(coll + (n.negated ? u" NOT BETWEEN " : u" BETWEEN ")));
        call(u"min(", *n.kids[1], *n.kids[2], QString(coll + u")"));
        call(u" AND max(", *n.kids[1], *n.kids[2], QString(coll + u"))"));
    }

    void in(const Node& n)
    {
        put(u"(", *n.kids[0], QString(collationFor(n) + (n.negated ? u" NOT IN (" : u" IN (")));
        for (size_t i = 1; i < n.kids.size(); ++i)
            put(i > 1 ? u", " : u"", *n.kids[i], {});
        m_sql += u"))";
    }

    QString& m_sql;
    QVariantList& m_params;
};

} // namespace

void emitSql(const Node& node, QString* sql, QVariantList* params)
{
    Emitter(sql, params).node(node);
}

} // namespace db::expr
