#pragma once

#include "core/db/Error.h"
#include "core/db/ExpressionLexer.h"
#include "core/db/Fields.h"

#include <memory>
#include <vector>

// The parsed form of a filter, between the user's text and the SQL we run.
// Internal to the expression compiler.
namespace db::expr {

// What a node yields, as far as the text tells before any row is read. Any is
// a field whose affinity promises nothing (a date column has NUMERIC affinity
// and still holds text); Null is the Null literal.
enum class Type { Number, Text, Date, Bool, Null, Any };

struct Node;
using NodePtr = std::unique_ptr<Node>;

struct Node {
    enum Kind { Literal, Field, Unary, Binary, Compare, Like, Between, In, IsNull };
    Kind kind = Literal;
    Type type = Type::Any;
    QString op;           // lower case: "-", "not", "and", "mod", "<>", "&", "||", ...
    QVariant value;       // Literal: the bound value
    QString text;         // Literal: as typed; Field: the stored name
    bool negated = false; // Not Like, Not Between, Not In, Is Not Null
    int pos = 0;          // where its token starts, for messages
    std::vector<NodePtr> kids;
};

Type typeOf(Affinity affinity);
const FieldDef* findField(const QList<FieldDef>& fields, const QString& name);
Error unknownField(const QString& name);

// Parses and type-checks a filter; on success *root holds the tree.
Error parseFilter(const QList<Token>& tokens, const QList<FieldDef>& fields, NodePtr* root);
// Appends the node's SQL to *sql and its literals, in order, to *params.
void emitSql(const Node& node, QString* sql, QVariantList* params);
// Prepares the emitted SQL once against the fields on a private connection,
// so limits of the engine (its parser depth, above all) surface as errors
// of the compiler instead of when the grid runs the filter.
Error checkWithEngine(const QString& sql, const QList<FieldDef>& fields);
// The engine's error on a statement that holds a filter, in the program's
// words where the engine's parser ran out of depth (ExpressionTooLong).
Error filterEngineError(const Error& engine);

} // namespace db::expr
