// The player card's edit state and save: the shown player as read, the
// values typed over it, and writing them as one step of the history.
#include "windows/players/PlayerCard.h"

#include "core/db/Database.h"
#include "core/db/RecordSet.h"
#include "ui/Prompts.h"
#include "windows/grid/GridView.h"
#include "windows/grid/TableConnection.h"
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
    if (!m_player.league() || m_player.leaguePath() != leaguePath || hasChanges() ||
        m_player.key() < 0)
        return;
    const db::Error e = m_player.read(m_player.key());
    if (e.number == db::RowVanished) {
        // Gone with the change (Clear Database, an undone add): nothing to
        // show, nothing to report. An undo that brings him back shows him.
        m_player.forgetRow(true);
    } else if (e) {
        Prompts::showError(this, e.message());
    }
    showValues();
}

bool PlayerCard::openLeague(const QString& path)
{
    if (m_player.league() && m_player.leaguePath() == path)
        return true;
    if (!leavePlayer())
        return false;
    if (db::Error e = m_player.openLeague(path)) {
        Prompts::showError(this, e.message());
        return false;
    }
    m_meanings->setLeague(*m_player.league());
    return true;
}

bool PlayerCard::showPlayer(qint64 key)
{
    if (db::Error e = m_player.read(key)) {
        Prompts::showError(this, e.message());
        return false;
    }
    showValues();
    return true;
}

void PlayerCard::typeValue(int column, const QString& text)
{
    if (!m_player.hasRow()) {
        showValue(column);
        return;
    }
    if (text == shownText(column))
        return; // untouched: the value keeps its storage type
    // A name stands for its code; a code that means nothing was asked about.
    const std::optional<QString> typed =
        m_meanings->storedText(column, text, m_player.effective(column));
    if (!typed) {
        showValue(column);
        return;
    }
    QString note;
    if (db::Error e = m_player.type(column, *typed, text, &note)) {
        showValue(column);
        // After the editor has gone, so the box cannot take its focus.
        QTimer::singleShot(0, this,
                           [this, message = e.message()] { Prompts::showError(this, message); });
        return;
    }
    showValue(column);
    showHeading();
    showChart();
    updateButtons();
    if (!note.isEmpty())
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
    if (!hasChanges() || !m_player.hasRow())
        return true;
    RowChange change;
    if (db::Error e = m_player.save(playerName(), &change)) {
        reportSaveError(e);
        return false;
    }
    rowWritten();
    m_meanings->written(*m_player.league());
    emit rowsWritten(change);
    showPlayer(m_player.key());
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
    m_player.dropChanges();
    const db::Error reread = m_player.read(m_player.key());
    if (reread)
        m_player.forgetRow(false); // gone: the card keeps what it read, for reading only
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
    if (grid && grid->connection()->leaguePath() == m_player.leaguePath())
        grid->model()->rowWrittenElsewhere(m_player.key());
}

void PlayerCard::revert()
{
    finishTyping();
    m_player.dropChanges();
    if (m_player.key() >= 0)
        showPlayer(m_player.key());
}

bool PlayerCard::leavePlayer()
{
    finishTyping();
    if (!hasChanges())
        return true;
    if (!Prompts::ask(this, u"Commit changes?"_s)) {
        m_player.dropChanges();
        showValues();
        return true;
    }
    return save();
}

bool PlayerCard::resolvePendingEdit()
{
    return leavePlayer();
}
