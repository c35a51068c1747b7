// The player card's edit state and save: the values typed over the shown
// player, and writing them as one step of the history.
#include "windows/players/CardEditor.h"

#include "core/db/Database.h"
#include "ui/Prompts.h"
#include "windows/players/CardMeanings.h"
#include "windows/players/CardView.h"
#include "windows/players/PlayerEdits.h"

#include <QTimer>

using namespace Qt::StringLiterals;

CardEditor::CardEditor(PlayerEdits& player, CardView& view, QWidget* card)
    : QObject(card), m_player(player), m_view(view), m_card(card)
{
    connect(&view, &CardView::valueTyped, this, &CardEditor::typeValue);
}

void CardEditor::leagueChanged(const QString& leaguePath)
{
    if (!m_player.league() || m_player.leaguePath() != leaguePath || m_player.hasChanges() ||
        m_player.key() < 0)
        return;
    const db::Error e = m_player.read(m_player.key());
    if (e.number == db::RowVanished) {
        // Gone with the change (Clear Database, an undone add): nothing to
        // show, nothing to report. An undo that brings him back shows him.
        m_player.forgetRow(true);
    } else if (e) {
        Prompts::showError(m_card, e.message());
    }
    m_view.showValues();
}

bool CardEditor::openLeague(const QString& path)
{
    if (m_player.league() && m_player.leaguePath() == path)
        return true;
    if (!leavePlayer())
        return false;
    if (db::Error e = m_player.openLeague(path)) {
        Prompts::showError(m_card, e.message());
        return false;
    }
    m_view.meanings()->setLeague(*m_player.league());
    return true;
}

bool CardEditor::showPlayer(qint64 key)
{
    if (db::Error e = m_player.read(key)) {
        Prompts::showError(m_card, e.message());
        return false;
    }
    m_view.showValues();
    return true;
}

void CardEditor::typeValue(int column, const QString& text)
{
    if (!m_player.hasRow()) {
        m_view.showValue(column);
        return;
    }
    if (text == m_view.shownText(column))
        return; // untouched: the value keeps its storage type
    // A name stands for its code; a code that means nothing was asked about.
    const std::optional<QString> typed =
        m_view.meanings()->storedText(column, text, m_player.effective(column));
    if (!typed) {
        m_view.showValue(column);
        return;
    }
    QString note;
    if (db::Error e = m_player.type(column, *typed, text, &note)) {
        m_view.showValue(column);
        // After the editor has gone, so the box cannot take its focus.
        QTimer::singleShot(0, this,
                           [this, message = e.message()] { Prompts::showError(m_card, message); });
        return;
    }
    m_view.showTyped(column);
    if (!note.isEmpty())
        emit valueNoted(note);
}

bool CardEditor::save()
{
    m_view.finishTyping();
    if (!m_player.hasChanges() || !m_player.hasRow())
        return true;
    RowChange change;
    if (db::Error e = m_player.save(m_view.playerName(), &change)) {
        reportSaveError(e);
        return false;
    }
    emit rowSaved();
    m_view.meanings()->written(*m_player.league());
    emit rowsWritten(change);
    showPlayer(m_player.key());
    return true;
}

void CardEditor::reportSaveError(const db::Error& e)
{
    if (e.number != db::RowVanished && e.number != db::WriteSkipped) {
        Prompts::showError(m_card, e.message());
        return;
    }
    // The row no longer holds what the card read: these values can never be
    // written as they are, so the card shows the player as stored now.
    const QString name = m_view.playerName();
    m_player.dropChanges();
    const db::Error reread = m_player.read(m_player.key());
    if (reread)
        m_player.forgetRow(false); // gone: the card keeps what it read, for reading only
    if (e.number == db::RowVanished && reread.number == db::RowVanished)
        Prompts::showError(
            m_card, db::Error::message(e.number,
                                       u"%1 is no longer in the league: another "
                                       u"program or Clear Database removed him since "
                                       u"the card read him, so nothing was written."_s.arg(name)));
    else
        Prompts::showError(m_card, e.message());
    m_view.showValues();
}

void CardEditor::revert()
{
    m_view.finishTyping();
    m_player.dropChanges();
    if (m_player.key() >= 0)
        showPlayer(m_player.key());
}

bool CardEditor::leavePlayer()
{
    m_view.finishTyping();
    if (!m_player.hasChanges())
        return true;
    if (!Prompts::ask(m_card, u"Commit changes?"_s)) {
        m_player.dropChanges();
        m_view.showValues();
        return true;
    }
    return save();
}
