// The player card's edit state and save: the shown player as read, the
// values typed over it, and writing them as one step of the history.
#include "windows/players/PlayerCard.h"

#include "core/db/Database.h"
#include "core/db/RecordSet.h"
#include "ui/Prompts.h"
#include "windows/grid/DataControl.h"
#include "windows/grid/DataGridView.h"
#include "windows/players/CardFormat.h"
#include "windows/players/CardMeanings.h"
#include "windows/players/PlayerColumns.h"
#include "windows/players/PlayerWindow.h"
#include "windows/players/PlayerWindows.h"
#include "windows/players/RatingsTable.h"

#include <QLineEdit>
#include <QTimer>
#include <algorithm>

using namespace Qt::StringLiterals;
using db::schema::PlayerColumnCount;
using db::schema::PlayerFixedColumnCount;
using namespace cardformat;

void PlayerCard::leagueChanged(const QString& leaguePath)
{
    if (!m_db || m_db->path() != leaguePath || hasChanges() || m_key < 0)
        return;
    const db::Error e = readPlayer(m_key);
    if (e.number == db::RowVanished) {
        // Gone with the change (Clear Database, an undone add): nothing to
        // show, nothing to report. An undo that brings him back shows him.
        m_row.reset();
        m_readRow.clear();
    } else if (e) {
        Prompts::showError(this, e.message());
    }
    showValues();
}

bool PlayerCard::openLeague(const QString& path)
{
    if (m_db && m_db->path() == path)
        return true;
    if (!leavePlayer())
        return false;
    auto database = std::make_unique<db::Database>();
    if (db::Error e = database->open(path)) {
        Prompts::showError(this, e.message());
        return false;
    }
    m_row.reset();
    m_db = std::move(database);
    m_key = -1;
    m_meanings->setLeague(*m_db);
    return true;
}

db::Error PlayerCard::readPlayer(qint64 key)
{
    std::unique_ptr<db::RecordSet> row;
    if (db::Error e = db::RecordSet::openRow(*m_db, u"PlayerTable"_s, key, &row))
        return e;
    const std::vector<players::PlayerColumn>& columns = players::playerGridColumns();
    for (int c = 0; c < PlayerColumnCount; ++c) {
        const int field = row->fieldIndex(columns[size_t(c)].field);
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

bool PlayerCard::showPlayer(qint64 key)
{
    if (db::Error e = readPlayer(key)) {
        Prompts::showError(this, e.message());
        return false;
    }
    showValues();
    return true;
}

QVariant PlayerCard::effective(int column) const
{
    return m_changes.contains(column) ? m_changes.value(column) : readValue(column);
}

QVariant PlayerCard::readValue(int column) const
{
    return m_readRow.value(m_fieldOf[size_t(column)]);
}

void PlayerCard::typeValue(int column, const QString& text)
{
    if (!m_row) {
        showValue(column);
        return;
    }
    if (text == shownText(column))
        return; // untouched: the value keeps its storage type
    // A name stands for its code; a code that means nothing was asked about.
    const std::optional<QString> typed = m_meanings->storedText(column, text, effective(column));
    if (!typed) {
        showValue(column);
        return;
    }
    QVariant stored;
    if (db::Error e = m_row->convertValue(m_fieldOf[size_t(column)], *typed, &stored)) {
        showValue(column);
        // After the editor has gone, so the box cannot take its focus.
        QTimer::singleShot(0, this,
                           [this, message = e.message()] { Prompts::showError(this, message); });
        return;
    }
    if (db::sameStoredValue(stored, readValue(column)))
        m_changes.remove(column);
    else
        m_changes.insert(column, stored);
    showValue(column);
    showHeading();
    showChart();
    updateButtons();
    const int field = m_fieldOf[size_t(column)];
    const QString caption = players::playerGridColumns()[size_t(column)].caption;
    if (const QString note = db::wholeNumberNote(m_row->fields().at(field), caption, text, stored);
        !note.isEmpty())
        emit valueNoted(note);
}

void PlayerCard::finishTyping()
{
    if (auto* edit = qobject_cast<QLineEdit*>(focusWidget()); edit && edit->isModified()) {
        edit->setModified(false);
        const int column = int(std::find(m_edits.begin(), m_edits.end(), edit) - m_edits.begin());
        if (column < PlayerFixedColumnCount)
            typeValue(column, edit->text());
    }
    m_table->finishEditing();
}

void PlayerCard::saveChanges()
{
    save();
}

bool PlayerCard::save()
{
    finishTyping();
    if (!hasChanges() || !m_row)
        return true;
    QHash<int, QVariant> values;
    QStringList captions;
    const std::vector<players::PlayerColumn>& columns = players::playerGridColumns();
    for (int c = 0; c < PlayerColumnCount; ++c) {
        if (m_changes.contains(c)) {
            values.insert(m_fieldOf[size_t(c)], m_changes.value(c));
            captions << columns[size_t(c)].caption;
        }
    }
    if (db::Error e = m_row->updateStored(0, values, m_readRow)) {
        reportSaveError(e);
        return false;
    }
    // The save is one step of the history: the fields as read and as the
    // file now stores them.
    const QVector<QVariant> written = m_row->rowValues(0);
    RowChange change{m_db->path(),
                     m_row->table(),
                     describeChange(captions, playerName()),
                     {},
                     {{m_key, {}}},
                     {{m_key, {}}},
                     m_row->lastCounterMove()};
    QList<int> fields = values.keys();
    std::sort(fields.begin(), fields.end());
    for (int field : fields) {
        change.fields << m_row->fieldName(field);
        change.before.first().values << m_readRow.value(field);
        change.after.first().values << written.value(field);
    }
    m_changes.clear();
    rowWritten();
    m_meanings->written(*m_db);
    emit rowsWritten(change);
    showPlayer(m_key);
    return true;
}

void PlayerCard::reportSaveError(const db::Error& e)
{
    if (e.number != db::RowVanished && e.number != db::WriteSkipped) {
        Prompts::showError(this, e.message());
        return;
    }
    // The row no longer holds what the card read: these values can never be
    // written as they are, so the card shows the player as stored now.
    const QString name = playerName();
    m_changes.clear();
    const db::Error reread = readPlayer(m_key);
    if (reread)
        m_row.reset(); // gone: the card keeps what it read, for reading only
    if (e.number == db::RowVanished && reread.number == db::RowVanished)
        Prompts::showError(
            this, db::Error::message(e.number,
                                     u"%1 is no longer in the league: another "
                                     u"program or Clear Database removed him since "
                                     u"the card read him, so nothing was written."_s.arg(name)));
    else
        Prompts::showError(this, e.message());
    showValues();
}

void PlayerCard::rowWritten()
{
    // The open grid, which need not be the one the card follows: the grid
    // may have been closed and opened again since.
    PlayerWindow* grid = m_open ? m_open->grid.data() : nullptr;
    if (grid && grid->dataControl()->databaseName() == m_db->path())
        grid->model()->rowWrittenElsewhere(m_key);
}

void PlayerCard::revert()
{
    finishTyping();
    m_changes.clear();
    if (m_key >= 0)
        showPlayer(m_key);
}

bool PlayerCard::leavePlayer()
{
    finishTyping();
    if (!hasChanges())
        return true;
    if (!Prompts::ask(this, u"Commit changes?"_s)) {
        m_changes.clear();
        showValues();
        return true;
    }
    return save();
}

bool PlayerCard::resolvePendingEdit()
{
    return leavePlayer();
}
