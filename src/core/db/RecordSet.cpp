// The record set: opening one on a table, its fields, and deriving filtered
// and sorted sets from it.
#include "core/db/RecordSet.h"

#include "core/db/Database.h"
#include "core/db/ExpressionTree.h"
#include "core/db/RowSql.h"
#include "core/db/Statement.h"

#include <QMap>
#include <QPair>
#include <algorithm>
#include <functional>
#include <numeric>
#include <utility>

namespace db {

bool sameStoredValue(const QVariant& a, const QVariant& b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    return a.typeId() == b.typeId() && a == b;
}

RecordSet::RecordSet(Database& database) : m_db(database) {}

Error RecordSet::openUnkeyed(Database& database, const QString& table,
                             std::unique_ptr<RecordSet>* out)
{
    if (!database.isOpen())
        return {NoLeagueFileChosen, QStringLiteral("The league file is not open.")};
    const QString stored = database.storedTableName(table);
    if (stored.isEmpty())
        return {MissingTable, QStringLiteral("The league file has no table \"%1\".").arg(table)};
    std::unique_ptr<RecordSet> rs(new RecordSet(database));
    rs->m_table = stored;
    if (Error e = rs->readFields(stored))
        return e;
    *out = std::move(rs);
    return {};
}

Error RecordSet::open(Database& database, const QString& table, std::unique_ptr<RecordSet>* out)
{
    std::unique_ptr<RecordSet> rs;
    if (Error e = openUnkeyed(database, table, &rs))
        return e;
    if (Error e = rs->readKeys(&rs->m_keys))
        return e;
    *out = std::move(rs);
    return {};
}

Error RecordSet::openKeys(Database& database, const QString& table, const QList<qint64>& keys,
                          std::unique_ptr<RecordSet>* out)
{
    std::unique_ptr<RecordSet> rs;
    if (Error e = openUnkeyed(database, table, &rs))
        return e;
    if (Error e = rs->checkWritable())
        return e;
    rs->m_keys = QVector<qint64>(keys.begin(), keys.end());
    *out = std::move(rs);
    return {};
}

Error RecordSet::openRow(Database& database, const QString& table, qint64 key,
                         std::unique_ptr<RecordSet>* out)
{
    std::unique_ptr<RecordSet> rs;
    if (Error e = openKeys(database, table, {key}, &rs))
        return e;
    Statement exists(database.sqliteHandle(),
                     QStringLiteral("SELECT 1 FROM ") + quoteIdentifier(rs->m_table) +
                         QStringLiteral(" WHERE ") + rs->m_keyName + QStringLiteral(" = ?"));
    exists.bind(1, key);
    if (!exists.next())
        return exists.error() ? exists.error() : rowsql::rowVanished();
    *out = std::move(rs);
    return {};
}

Error RecordSet::readFields(const QString& table)
{
    QMap<int, QString> keyParts; // primary key columns by position, for tables without rowid
    Error e =
        m_db.query(QStringLiteral("SELECT name, type, pk FROM pragma_table_info(?) ORDER BY cid"),
                   {table}, [&](const Statement& q) {
                       const FieldInfo field =
                           describeField(q.value(0).toString(), q.value(1).toString());
                       m_fields << field;
                       if (const int part = q.value(2).toInt(); part > 0)
                           keyParts.insert(part, field.name());
                   });
    if (e)
        return e;

    // A column may shadow one spelling of the rowid; any free one will do.
    for (const QString& alias :
         {QStringLiteral("rowid"), QStringLiteral("oid"), QStringLiteral("_rowid_")}) {
        if (fieldIndex(alias) < 0) {
            Statement probe(
                m_db.sqliteHandle(),
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

int RecordSet::fieldIndex(const QString& name) const
{
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_fields.at(i).name().compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void RecordSet::setFieldAliases(const QList<QPair<QString, QString>>& aliasAndField)
{
    for (FieldInfo& field : m_fields)
        field.def.aliases.clear();
    for (const auto& [alias, name] : aliasAndField) {
        if (const int i = fieldIndex(name); i >= 0 && alias.compare(name, Qt::CaseInsensitive))
            m_fields[i].def.aliases << alias;
    }
}

void RecordSet::setFieldCodes(int field, const QString& noun,
                              const std::function<std::optional<qint64>(const QString&)>& codeNamed)
{
    if (field < 0 || field >= fieldCount())
        return;
    m_fields[field].def.codeNoun = noun;
    m_fields[field].def.codeNamed = codeNamed;
}

QString RecordSet::whereClause() const
{
    if (m_filterSql.isEmpty())
        return {};
    return QStringLiteral(" WHERE (") + m_filterSql.join(QStringLiteral(") AND (")) +
           QLatin1Char(')');
}

QString RecordSet::orderClause() const
{
    const QStringList order = m_sortSql + m_orderTail;
    if (order.isEmpty())
        return {};
    return QStringLiteral(" ORDER BY ") + order.join(QStringLiteral(", "));
}

QString RecordSet::selectColumns() const
{
    QStringList names;
    names.reserve(m_fields.size());
    for (const FieldInfo& f : m_fields)
        names << quoteIdentifier(f.name());
    return names.join(QStringLiteral(", "));
}

Error RecordSet::openDerived(const std::function<void(RecordSet&)>& addCondition,
                             std::unique_ptr<RecordSet>* out) const
{
    std::unique_ptr<RecordSet> rs(new RecordSet(m_db));
    rs->m_table = m_table;
    rs->m_keyName = m_keyName;
    rs->m_orderTail = m_orderTail;
    rs->m_readOnlyReason = m_readOnlyReason;
    rs->m_fields = m_fields;
    rs->m_filterTexts = m_filterTexts;
    rs->m_sortTexts = m_sortTexts;
    rs->m_filterSql = m_filterSql;
    rs->m_filterParams = m_filterParams;
    rs->m_sortSql = m_sortSql;
    rs->m_sortKeys = m_sortKeys;
    addCondition(*rs);
    // The very statements the grid runs are the check: the engine's parser
    // has less room for the user's nesting in them than in the compiler's probe.
    if (Error e = rs->readKeys(&rs->m_keys))
        return expr::filterEngineError(e);
    if (m_keyName.isEmpty()) {
        if (Error e = Statement(m_db.sqliteHandle(), rs->keylessPageSql()).error())
            return expr::filterEngineError(e);
    }
    *out = std::move(rs);
    return {};
}

QList<FieldDef> RecordSet::fieldDefs() const
{
    QList<FieldDef> defs;
    defs.reserve(m_fields.size());
    for (const FieldInfo& f : m_fields)
        defs << f.def;
    return defs;
}

Error RecordSet::openFiltered(const QString& filterText, std::unique_ptr<RecordSet>* out) const
{
    CompiledFilter filter;
    if (Error e = compileFilter(filterText, fieldDefs(), &filter))
        return e;
    return openDerived(
        [&](RecordSet& rs) {
            rs.m_filterTexts << filterText;
            rs.m_filterSql << filter.sql;
            rs.m_filterParams << filter.params;
        },
        out);
}

Error RecordSet::openFilteredByValue(int field, const QVariant& value, const QString& shownAs,
                                     std::unique_ptr<RecordSet>* out) const
{
    const QString name = quoteIdentifier(fieldName(field));
    const bool text = value.typeId() == QMetaType::QString;
    // As the filter compiler writes "[field] = 'text'" and "[field] = 12".
    const QString sql = value.isNull() ? name + QStringLiteral(" IS NULL")
                        : text         ? QStringLiteral("(%1 COLLATE YM_NOCASE = ?)").arg(name)
                                       : QStringLiteral("(%1 = ?)").arg(name);
    return openDerived(
        [&](RecordSet& rs) {
            rs.m_filterTexts << shownAs;
            rs.m_filterSql << sql;
            if (!value.isNull())
                rs.m_filterParams << value;
        },
        out);
}

Error RecordSet::openSorted(const QString& sortText, std::unique_ptr<RecordSet>* out) const
{
    CompiledSort sort;
    if (Error e = compileSort(sortText, fieldDefs(), &sort))
        return e;
    // The newest sort rules; the earlier ones only break its ties. An
    // earlier sort by none but the new one's fields breaks none (its rows tie
    // on those fields already), so it goes: a column clicked again and again
    // keeps one sort, not a growing list.
    return openDerived(
        [&](RecordSet& rs) {
            const auto sortsBy = [&](const SortKey& earlier) {
                return std::any_of(sort.keys.begin(), sort.keys.end(), [&](const SortKey& key) {
                    return key.field.compare(earlier.field, Qt::CaseInsensitive) == 0;
                });
            };
            for (qsizetype i = rs.m_sortKeys.size() - 1; i >= 0; --i) {
                const QList<SortKey>& earlier = rs.m_sortKeys.at(i);
                if (std::all_of(earlier.begin(), earlier.end(), sortsBy)) {
                    rs.m_sortTexts.removeAt(i);
                    rs.m_sortSql.removeAt(i);
                    rs.m_sortKeys.removeAt(i);
                }
            }
            rs.m_sortTexts.prepend(sortText);
            rs.m_sortSql.prepend(sort.sql);
            rs.m_sortKeys.prepend(sort.keys);
        },
        out);
}

} // namespace db
