#include "windows/players/PlayerEdits.h"

#include "core/db/Database.h"
#include "core/db/RecordSet.h"
#include "core/db/RowWriter.h"
#include "windows/players/CardFormat.h"
#include "windows/players/PlayerColumns.h"

#include <QStringList>
#include <algorithm>

using namespace Qt::StringLiterals;
using db::schema::PlayerColumnCount;

PlayerEdits::PlayerEdits() = default;
PlayerEdits::~PlayerEdits() = default;

QString PlayerEdits::leaguePath() const
{
    return m_db ? m_db->path() : QString();
}

db::Error PlayerEdits::openLeague(const QString& path)
{
    auto database = std::make_unique<db::Database>();
    if (db::Error e = database->open(path))
        return e;
    m_row.reset();
    m_db = std::move(database);
    m_key = -1;
    return {};
}

db::Error PlayerEdits::read(qint64 key)
{
    std::unique_ptr<db::RecordSet> row;
    if (db::Error e = db::RecordSet::openRow(*m_db, u"PlayerTable"_s, key, &row))
        return e;
    const std::vector<players::PlayerColumn>& columns = players::playerGridColumns();
    for (int c = 0; c < PlayerColumnCount; ++c) {
        const int field = row->fields().indexOf(columns[size_t(c)].field);
        if (field < 0)
            return {db::MissingField, u"The table \"%1\" has no field \"%2\", which this window "
                                      u"shows."_s.arg(row->table(), columns[size_t(c)].field)};
        m_fieldOf[size_t(c)] = field;
    }
    const QVector<QVariant> values = row->rowValues(0);
    if (db::Error e = row->takeReadError())
        return e;
    m_readRow = values;
    m_row = std::move(row);
    m_key = key;
    m_changes.clear();
    return {};
}

void PlayerEdits::forgetRow(bool forgetValues)
{
    m_row.reset();
    if (forgetValues)
        m_readRow.clear();
}

QVariant PlayerEdits::effective(int column) const
{
    return m_changes.contains(column) ? m_changes.value(column) : readValue(column);
}

QVariant PlayerEdits::readValue(int column) const
{
    return m_readRow.value(m_fieldOf[size_t(column)]);
}

db::Error PlayerEdits::type(int column, const QString& typed, const QString& text, QString* note)
{
    const int field = m_fieldOf[size_t(column)];
    QVariant stored;
    if (db::Error e = db::convertValue(m_row->fields().at(field), typed, &stored))
        return e;
    if (db::sameStoredValue(stored, readValue(column)))
        m_changes.remove(column);
    else
        m_changes.insert(column, stored);
    const QString caption = players::playerGridColumns()[size_t(column)].caption;
    *note = db::wholeNumberNote(m_row->fields().at(field), caption, text, stored);
    return {};
}

db::Error PlayerEdits::save(const QString& playerName, RowChange* change)
{
    QHash<int, QVariant> values;
    QStringList captions;
    const std::vector<players::PlayerColumn>& columns = players::playerGridColumns();
    for (int c = 0; c < PlayerColumnCount; ++c) {
        if (m_changes.contains(c)) {
            values.insert(m_fieldOf[size_t(c)], m_changes.value(c));
            captions << columns[size_t(c)].caption;
        }
    }
    db::RowWriter writer(*m_row);
    if (db::Error e = writer.updateStored(0, values, m_readRow))
        return e;
    // The save is one step of the history: the fields as read and as the
    // file now stores them.
    const QVector<QVariant> written = m_row->rowValues(0);
    *change = RowChange{m_db->path(),
                        m_row->table(),
                        cardformat::describeChange(captions, playerName),
                        {},
                        {{m_key, {}}},
                        {{m_key, {}}},
                        writer.lastCounterMove()};
    QList<int> fields = values.keys();
    std::sort(fields.begin(), fields.end());
    for (int field : fields) {
        change->fields << m_row->fields().name(field);
        change->before.first().values << m_readRow.value(field);
        change->after.first().values << written.value(field);
    }
    m_changes.clear();
    return {};
}
