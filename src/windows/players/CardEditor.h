#pragma once

#include "core/db/Error.h"
#include "history/RowStep.h"

#include <QObject>

class CardView;
class PlayerEdits;
class QWidget;

// The player card's edit state and save: takes what is typed into the view
// as the player's new values, writes them on Save as one step of the
// history, drops them on Revert, and asks "Commit changes?" before the card
// leaves a changed player. Errors and questions go to the card's window.
class CardEditor : public QObject
{
    Q_OBJECT
public:
    // player: the league, the player as read and the typed values; view
    // shows them; card: the window questions and errors belong to.
    CardEditor(PlayerEdits& player, CardView& view, QWidget* card);

    // Uses the league at path, leaving the shown player first. False when it
    // did not open or the player could not be left (shown).
    bool openLeague(const QString& path);
    // Reads and shows the player with rowid key; false on an error (shown).
    bool showPlayer(qint64 key);
    // The league changed through the program (an undo, say): an unchanged
    // player is shown as the file now holds him, or nothing when he is gone.
    void leagueChanged(const QString& leaguePath);
    // Text typed into a player column's box, as its editor hands it over:
    // converted to what the field stores, marked when it differs from what
    // was read; refused with a message when it does not fit.
    void typeValue(int column, const QString& text);
    // Writes the changed values; false when the write failed (shown).
    bool save();
    void revert();
    // Before the card shows another player or closes: asks about changed
    // values and saves or drops them. False when a wanted save failed.
    bool leavePlayer();

signals:
    // A save wrote the player's row, before it becomes a step of the history.
    void rowSaved();
    // A save reached the file: one step for the history.
    void rowsWritten(const RowChange& change);
    // A typed value was stored as a number that reads otherwise (45.5 as 46).
    void valueNoted(const QString& note);

private:
    void reportSaveError(const db::Error& e);

    PlayerEdits& m_player;
    CardView& m_view;
    QWidget* m_card;
};
