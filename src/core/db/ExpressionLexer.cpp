#include "core/db/ExpressionLexer.h"

#include "core/db/Fields.h"

#include <QDate>
#include <QRegularExpression>

namespace db::expr {

namespace {

QString shortened(const QString& text)
{
    constexpr int limit = 24;
    return text.size() <= limit ? text : text.left(limit) + QStringLiteral("...");
}

bool isNameStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

bool isAsciiDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

bool isNamePart(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// Two-digit years follow the old engine's window: 00-29 are 20xx, 30-99 19xx.
int fullYear(const QString& digits)
{
    const int year = digits.toInt();
    if (digits.size() > 2)
        return year;
    return year < 30 ? 2000 + year : 1900 + year;
}

QDate parseDate(const QString& body)
{
    static const QRegularExpression us(
        QStringLiteral("^\\s*(\\d{1,2})/(\\d{1,2})/(\\d{2}|\\d{4})\\s*$"));
    static const QRegularExpression iso(QStringLiteral("^\\s*(\\d{4})-(\\d{1,2})-(\\d{1,2})\\s*$"));
    if (const auto m = us.match(body); m.hasMatch())
        return QDate(fullYear(m.captured(3)), m.captured(1).toInt(), m.captured(2).toInt());
    if (const auto m = iso.match(body); m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    return {};
}

class Lexer
{
public:
    explicit Lexer(const QString& input) : m_in(input) {}

    Error run(QList<Token>* out)
    {
        for (;;) {
            while (m_i < m_in.size() && m_in[m_i].isSpace())
                ++m_i;
            Token t;
            t.pos = m_i;
            if (m_i >= m_in.size()) {
                out->append(t);
                return {};
            }
            if (Error e = next(t))
                return e;
            out->append(t);
        }
    }

private:
    QChar at(qsizetype i) const { return i < m_in.size() ? m_in[i] : QChar(); }

    Error fail(int start, const QString& what) const
    {
        Token near;
        near.kind = Token::Symbol;
        near.pos = start;
        near.text = m_in.mid(start, qMax<qsizetype>(1, m_i - start));
        return syntaxError(near, what);
    }

    Error next(Token& t)
    {
        const QChar c = m_in[m_i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"'))
            return quoted(t, c);
        if (c == QLatin1Char('['))
            return bracketed(t);
        if (c == QLatin1Char('#'))
            return date(t);
        if (isAsciiDigit(c) || (c == QLatin1Char('.') && isAsciiDigit(at(m_i + 1))))
            return number(t);
        if (isNameStart(c)) {
            while (m_i < m_in.size() && isNamePart(m_in[m_i]))
                ++m_i;
            t.kind = Token::Name;
            t.text = m_in.mid(t.pos, m_i - t.pos);
            return {};
        }
        return symbol(t);
    }

    // 'it''s' and "say ""hi""": the closing quote doubled stands for itself.
    Error quoted(Token& t, QChar quote)
    {
        // Empty, never null: a null QString would be bound as NULL.
        QString value = QStringLiteral("");
        for (++m_i; m_i < m_in.size(); ++m_i) {
            if (m_in[m_i] != quote) {
                value += m_in[m_i];
                continue;
            }
            if (at(m_i + 1) != quote) {
                ++m_i;
                t.kind = Token::Text;
                t.text = m_in.mid(t.pos, m_i - t.pos);
                t.value = value;
                return {};
            }
            value += quote;
            ++m_i;
        }
        return fail(t.pos, QStringLiteral("the text has no closing quote"));
    }

    // [a]]b] names the field "a]b": a doubled closing bracket stands for
    // itself, as a doubled quote does in text.
    Error bracketed(Token& t)
    {
        QString name;
        for (++m_i; m_i < m_in.size(); ++m_i) {
            if (m_in[m_i] != QLatin1Char(']')) {
                name += m_in[m_i];
            } else if (at(m_i + 1) == QLatin1Char(']')) {
                name += QLatin1Char(']');
                ++m_i;
            } else {
                ++m_i;
                t.kind = Token::Name;
                t.bracketed = true;
                t.text = name;
                if (name.isEmpty())
                    return fail(t.pos, QStringLiteral("the brackets hold no field name"));
                return {};
            }
        }
        return fail(t.pos, QStringLiteral("the field name has no closing bracket"));
    }

    Error date(Token& t)
    {
        const qsizetype close = m_in.indexOf(QLatin1Char('#'), m_i + 1);
        if (close < 0) {
            m_i = m_in.size();
            return fail(t.pos, QStringLiteral("the date has no closing #"));
        }
        const QString body = m_in.mid(m_i + 1, close - m_i - 1);
        m_i = close + 1;
        const QDate d = parseDate(body);
        if (!d.isValid())
            return fail(t.pos, QStringLiteral("this is not a valid date (write #m/d/yyyy# or "
                                              "#yyyy-mm-dd#)"));
        t.kind = Token::Date;
        t.text = m_in.mid(t.pos, m_i - t.pos);
        t.value = d.toString(Qt::ISODate);
        return {};
    }

    Error number(Token& t)
    {
        bool real = false;
        auto digits = [&] {
            while (isAsciiDigit(at(m_i)))
                ++m_i;
        };
        digits();
        if (at(m_i) == QLatin1Char('.')) {
            real = true;
            ++m_i;
            digits();
        }
        if (at(m_i).toLower() == QLatin1Char('e')) {
            const qsizetype sign =
                (at(m_i + 1) == QLatin1Char('+') || at(m_i + 1) == QLatin1Char('-')) ? 1 : 0;
            if (isAsciiDigit(at(m_i + 1 + sign))) {
                real = true;
                m_i += 1 + sign;
                digits();
            }
        }
        if (isNamePart(at(m_i)) || at(m_i) == QLatin1Char('.')) {
            while (m_i < m_in.size() && (isNamePart(m_in[m_i]) || m_in[m_i] == QLatin1Char('.')))
                ++m_i;
            return fail(t.pos, QStringLiteral("this is not a number"));
        }
        t.kind = Token::Number;
        t.text = m_in.mid(t.pos, m_i - t.pos);
        bool ok = false;
        const qlonglong whole = real ? 0 : t.text.toLongLong(&ok);
        t.value = ok ? QVariant(whole) : QVariant(t.text.toDouble());
        return {};
    }

    Error symbol(Token& t)
    {
        static const QStringList twoChar = {QStringLiteral("<="), QStringLiteral(">="),
                                            QStringLiteral("<>")};
        static const QString oneChar = QStringLiteral("=<>+-*/\\^&(),");
        t.kind = Token::Symbol;
        const QString two = m_in.mid(m_i, 2);
        if (twoChar.contains(two)) {
            t.text = two;
            m_i += 2;
            return {};
        }
        ++m_i;
        t.text = m_in.mid(t.pos, 1);
        if (!oneChar.contains(t.text))
            return fail(t.pos, QStringLiteral("this character has no meaning here"));
        return {};
    }

    const QString& m_in;
    qsizetype m_i = 0;
};

} // namespace

Error tokenize(const QString& input, QList<Token>* out)
{
    out->clear();
    if (input.size() > MaxExpressionLength)
        return {ExpressionTooLong, QStringLiteral("The expression is longer than %1 characters.")
                                       .arg(MaxExpressionLength)};
    return Lexer(input).run(out);
}

Error syntaxError(const Token& near, const QString& what)
{
    if (near.kind == Token::End)
        return {ExpressionSyntax,
                QStringLiteral("Syntax error at the end of the expression: %1.").arg(what)};
    const QString shown =
        near.kind == Token::Name && near.bracketed ? db::bracketedName(near.text) : near.text;
    return {ExpressionSyntax, QStringLiteral("Syntax error near \"%1\" at position %2: %3.")
                                  .arg(shortened(shown), QString::number(near.pos + 1), what)};
}

} // namespace db::expr

namespace db {

QString bracketedName(const QString& field)
{
    return QLatin1Char('[') + QString(field).replace(QLatin1Char(']'), QStringLiteral("]]")) +
           QLatin1Char(']');
}

} // namespace db
