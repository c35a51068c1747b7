#pragma once

#include "core/db/Error.h"

#include <QList>
#include <QString>
#include <QVariant>

// Splits a filter or sort text into tokens. Internal to the expression
// compiler; nothing here touches SQL.
namespace db::expr {

struct Token {
    enum Kind { End, Number, Text, Date, Name, Symbol };
    Kind kind = End;
    QString text;   // as typed (for Text: the quoted form; for Name: without brackets)
    QVariant value; // Number: qlonglong or double; Text: the unquoted text; Date: "yyyy-mm-dd"
    int pos = 0;    // 0-based offset into the input
    bool bracketed = false; // a [Name] is never a keyword

    bool isSymbol(QStringView s) const { return kind == Symbol && text == s; }
    // Keywords are bare names, matched without regard to case.
    bool isKeyword(QStringView word) const
    {
        return kind == Name && !bracketed && text.compare(word, Qt::CaseInsensitive) == 0;
    }
};

// Fails with ExpressionTooLong beyond MaxExpressionLength characters, with
// ExpressionSyntax on text that forms no token; the last token is End.
Error tokenize(const QString& input, QList<Token>* out);

// "Syntax error near "x" at position n: what." or "... at the end of the expression: what."
Error syntaxError(const Token& near, const QString& what);

} // namespace db::expr
