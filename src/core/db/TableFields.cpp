// A table's fields and its rowid, read from the file.
#include "core/db/TableFields.h"

#include "core/db/Database.h"
#include "core/db/Statement.h"

#include <QMap>
#include <utility>

namespace db {

Error TableFields::read(Database& database, const QString& table, TableFields* out)
{
    if (!database.isOpen())
        return {NoLeagueFileChosen, QStringLiteral("The league file is not open.")};
    TableFields fields;
    fields.m_table = database.storedTableName(table);
    if (fields.m_table.isEmpty())
        return {MissingTable, QStringLiteral("The league file has no table \"%1\".").arg(table)};
    if (Error e = fields.readColumns(database))
        return e;
    *out = std::move(fields);
    return {};
}

Error TableFields::readColumns(Database& database)
{
    QMap<int, QString> keyParts; // primary key columns by position, for tables without rowid
    Error e = database.query(
        QStringLiteral("SELECT name, type, pk FROM pragma_table_info(?) ORDER BY cid"), {m_table},
        [&](const Statement& q) {
            const FieldInfo field = describeField(q.value(0).toString(), q.value(1).toString());
            m_fields << field;
            if (const int part = q.value(2).toInt(); part > 0)
                keyParts.insert(part, field.name());
        });
    if (e)
        return e;

    // A column may shadow one spelling of the rowid; any free one will do.
    for (const QString& alias :
         {QStringLiteral("rowid"), QStringLiteral("oid"), QStringLiteral("_rowid_")}) {
        if (indexOf(alias) < 0) {
            Statement probe(
                database.sqliteHandle(),
                QStringLiteral("SELECT %1 FROM %2 LIMIT 0").arg(alias, quoteIdentifier(m_table)));
            if (!probe.error())
                m_keyName = alias;
            break;
        }
    }
    if (m_keyName.isEmpty()) {
        m_readOnlyReason =
            QStringLiteral("The table \"%1\" has no rowid, so its rows cannot be told apart "
                           "for editing: it is shown read-only.")
                .arg(m_table);
        for (const QString& part : std::as_const(keyParts))
            m_orderTail << quoteIdentifier(part);
    } else {
        m_orderTail << m_keyName;
    }
    return {};
}

int TableFields::indexOf(const QString& name) const
{
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_fields.at(i).name().compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QList<FieldDef> TableFields::defs() const
{
    QList<FieldDef> defs;
    defs.reserve(m_fields.size());
    for (const FieldInfo& f : m_fields)
        defs << f.def;
    return defs;
}

void TableFields::setAliases(const QList<QPair<QString, QString>>& aliasAndField)
{
    for (FieldInfo& field : m_fields)
        field.def.aliases.clear();
    for (const auto& [alias, name] : aliasAndField) {
        if (const int i = indexOf(name); i >= 0 && alias.compare(name, Qt::CaseInsensitive))
            m_fields[i].def.aliases << alias;
    }
}

void TableFields::setCodes(int field, const QString& noun,
                           const std::function<std::optional<qint64>(const QString&)>& codeNamed)
{
    if (field < 0 || field >= count())
        return;
    m_fields[field].def.codeNoun = noun;
    m_fields[field].def.codeNamed = codeNamed;
}

Error TableFields::checkWritable() const
{
    if (isReadOnly())
        return {ReadOnlyRecordSet, m_readOnlyReason};
    return {};
}

QStringList TableFields::quoted(const QList<int>& fields) const
{
    QStringList names;
    names.reserve(fields.size());
    for (int f : fields)
        names << quoteIdentifier(name(f));
    return names;
}

QString TableFields::allColumns() const
{
    QStringList names;
    names.reserve(m_fields.size());
    for (const FieldInfo& f : m_fields)
        names << quoteIdentifier(f.name());
    return names.join(QStringLiteral(", "));
}

Error TableFields::convertAll(const QHash<int, QVariant>& typed, QHash<int, QVariant>* stored) const
{
    stored->clear();
    for (auto it = typed.cbegin(); it != typed.cend(); ++it) {
        if (it.key() < 0 || it.key() >= count())
            return {UnknownField, QStringLiteral("The table \"%1\" has no field number %2.")
                                      .arg(m_table)
                                      .arg(it.key())};
        QVariant value;
        if (Error e = convertValue(m_fields.at(it.key()), it.value(), &value))
            return e;
        stored->insert(it.key(), value);
    }
    return {};
}

} // namespace db
