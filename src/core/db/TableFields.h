#pragma once

#include "core/db/Error.h"
#include "core/db/FieldValues.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QStringList>
#include <functional>
#include <optional>

namespace db {

class Database;

// A table's fields as the file declares them, and how its rows are told
// apart: the spelling of the rowid no column shadows (none: the table is
// read-only) and what makes an order total.
class TableFields
{
public:
    // Reads the fields of table (a name matched without regard to case).
    static Error read(Database& database, const QString& table, TableFields* out);

    QString table() const { return m_table; } // as the file spells it
    int count() const { return int(m_fields.size()); }
    const FieldInfo& at(int field) const { return m_fields.at(field); }
    QString name(int field) const { return m_fields.value(field).name(); }
    // Index of the field with this name, ignoring case; -1 when none.
    int indexOf(const QString& name) const;
    QList<FieldInfo>::const_iterator begin() const { return m_fields.cbegin(); }
    QList<FieldInfo>::const_iterator end() const { return m_fields.cend(); }
    QList<FieldDef> defs() const;

    // Lets sorts and filters name fields by other names too (a grid's column
    // captions), given as (alias, field name) pairs.
    void setAliases(const QList<QPair<QString, QString>>& aliasAndField);
    // Lets filters compare a coded field with the names of its codes (see
    // FieldDef::codeNamed).
    void setCodes(int field, const QString& noun,
                  const std::function<std::optional<qint64>(const QString&)>& codeNamed);

    bool isReadOnly() const { return !m_readOnlyReason.isEmpty(); }
    QString readOnlyReason() const { return m_readOnlyReason; }
    // ReadOnlyRecordSet with the reason when the rows cannot be told apart.
    Error checkWritable() const;
    QString keyName() const { return m_keyName; } // empty: no rowid
    QStringList orderTail() const { return m_orderTail; }

    // The fields' names quoted for SQL: these, or all of them joined by commas.
    QStringList quoted(const QList<int>& fields) const;
    QString allColumns() const;
    // Every typed value converted as its field stores it (see convertValue).
    Error convertAll(const QHash<int, QVariant>& typed, QHash<int, QVariant>* stored) const;

private:
    Error readColumns(Database& database);

    QString m_table;
    QList<FieldInfo> m_fields;
    QString m_keyName;
    QStringList m_orderTail; // the rowid, else the primary key
    QString m_readOnlyReason;
};

} // namespace db
