#include "core/db/ExpressionTree.h"

#include "core/db/Database.h"
#include "core/db/Statement.h"

#include <algorithm>

using namespace Qt::StringLiterals;

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
    const bool anyNumeric =
        std::any_of(kids.begin(), kids.end(), [](const NodePtr& k) { return numeric(*k); });
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
            m_sql += quoteIdentifier(n.text);
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
    void put(QStringView before, const Node& n, QStringView after,
             void (Emitter::*inner)(const Node&) = &Emitter::node)
    {
        m_sql += before;
        (this->*inner)(n);
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
        if (n.op == u"\\")
            call(u"ym_intdiv(", a, b, u")");
        else if (n.op == u"mod")
            call(u"ym_mod(", a, b, u")");
        else if (n.op == u"^")
            call(u"ym_pow(", a, b, u")");
        else
            put(u"(", n, u")", &Emitter::chain);
    }

    // "a Or b Or c" goes out as one flat list: SQLite's parser has room for
    // few nested parentheses, and long Or lists are common in filters.
    void chain(const Node& n)
    {
        const Node& a = *n.kids[0];
        if (a.kind == Node::Binary && family(a.op) == family(n.op))
            chain(a);
        else
            chainOperand(n, a);
        if (n.op == u"/")
            m_sql += u" * 1.0 / "; // real division even for two whole numbers
        else if (n.op == u"&")
            m_sql += u" || ";
        else
            m_sql += QLatin1Char(' ') + n.op.toUpper() + QLatin1Char(' ');
        chainOperand(n, *n.kids[1]);
    }

    // & treats Null as empty text; a link of the chain is never Null itself.
    void chainOperand(const Node& n, const Node& operand)
    {
        if (n.op == u"&")
            put(u"COALESCE(", operand, u", '')");
        else
            node(operand);
    }

    // Operators SQLite chains left to right at one level.
    static QString family(const QString& op)
    {
        if (op == u"-")
            return u"+"_s;
        if (op == u"/")
            return u"*"_s;
        return op;
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
        put(u"(", *n.kids[0], QString(coll + (n.negated ? u" NOT BETWEEN "_s : u" BETWEEN "_s)));
        call(u"min(", *n.kids[1], *n.kids[2], QString(coll + u")"_s));
        call(u" AND max(", *n.kids[1], *n.kids[2], QString(coll + u"))"_s));
    }

    void in(const Node& n)
    {
        put(u"(", *n.kids[0], QString(collationFor(n) + (n.negated ? u" NOT IN ("_s : u" IN ("_s)));
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

Error checkWithEngine(const QString& sql, const QList<FieldDef>& fields)
{
    // A private in-memory connection, made for this check alone (opening one
    // costs far less than the keyset read that follows a filter), on which
    // the compiled filter is prepared before any record set runs it.
    Database probe;
    if (Error e = probe.openInMemory())
        return e;
    QStringList columns;
    for (const FieldDef& f : fields)
        columns << u"NULL AS "_s + quoteIdentifier(f.name);
    if (columns.isEmpty())
        columns << u"NULL"_s;
    const QString statement =
        u"SELECT 1 FROM (SELECT "_s + columns.join(u", "_s) + u") WHERE "_s + sql;
    const Statement check(probe.sqliteHandle(), statement);
    if (!check.error())
        return {};
    return filterEngineError(check.error());
}

Error filterEngineError(const Error& engine)
{
    // The parser's stack holds about 33 levels of "a Or (b Or (...": deep
    // nesting is the user's expression, not a fault of the file.
    const QString& why = engine.description;
    if (why.contains(u"stack overflow"_s) || why.contains(u"too large"_s))
        return {ExpressionTooLong,
                u"The expression nests too deeply for the database engine (%1)."_s.arg(why)};
    return engine;
}

} // namespace db::expr
