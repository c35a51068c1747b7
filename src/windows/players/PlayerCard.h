#pragma once

#include "ui/EditingWindow.h"
#include "windows/players/PlayerEdits.h"

#include <QPointer>
#include <QVector>
#include <QWidget>
#include <functional>
#include <memory>

class CardEditor;
class CardView;
class CardWalk;
class PlayerWindow;
class QMdiArea;
class QPushButton;
class SharedMeanings;
struct PlayerWindows;

// The player card: one player of the player grid as a form. It shows who the
// player is and his ratings as a table and a bar chart of actual against
// potential, every value exactly as stored, and edits each value in place.
// Save writes only the changed values, through the same guarded write as the
// grid, as one step of the history. Previous and Next walk the grid's rows in
// its order and filter and move the grid's current row with them; the card
// follows the grid's current row. There is only ever one.
//
// The window owns and wires its parts: the view (CardView), the edit state
// and save (PlayerEdits, CardEditor) and which player it shows (CardWalk).
class PlayerCard : public QWidget, public EditingWindow
{
    Q_OBJECT
public:
    ~PlayerCard() override;

    // Shows the card for the grid's current player in the grid's MDI area,
    // or brings open.card forward, following this grid. Returns nullptr
    // when the player cannot be shown (the error has been shown).
    static PlayerCard* showFor(PlayerWindows& open, PlayerWindow* grid);
    // Shows the card for keys[index] of the league at path, whose Previous
    // and Next then walk keys (a Team Page's list) instead of a grid.
    static PlayerCard* showList(PlayerWindows& open, QMdiArea* area, const QString& path,
                                const QVector<qint64>& keys, int index);

    // The league changed through the program (an undo, say): an unchanged
    // card on it shows the player as the file now holds him, or nothing
    // when he is gone.
    void leagueChanged(const QString& leaguePath);
    // Follows grid from now on (the player grid opened again after the
    // card's was closed), which moves to the card's player.
    void follow(PlayerWindow* grid);

    qint64 playerKey() const { return m_player.key(); }
    // The league the card reads; empty before it showed a player.
    QString leaguePath() const { return m_player.leaguePath(); }
    bool hasChanges() const { return m_player.hasChanges(); }
    // What the card shows of a player column (0..79, the grid's columns).
    QString shownText(int column) const;
    // Text typed into a player column's box (CardEditor::typeValue).
    void typeValue(int column, const QString& text);

    void previous();
    void next();
    void saveChanges();
    void closeWindow();
    // Adds the shown player to Compare Players.
    void compare();

    // EditingWindow: asks "Commit changes?" for changed values.
    bool resolvePendingEdit() override;

    QSize sizeHint() const override;

signals:
    // A save reached the file: one step for the history.
    void rowsWritten(const RowChange& change);
    // A typed value was stored as a number that reads otherwise (45.5 as 46).
    void valueNoted(const QString& note);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    explicit PlayerCard(SharedMeanings* shared);
    QWidget* buildButtons(QList<QPushButton*>* tabOrder);
    QPushButton* addButton(const char* name, const QString& caption,
                           const std::function<void()>& handler);
    // Makes the card a window of area (made: a new card) and brings it forward.
    static void present(PlayerWindows& open, QMdiArea* area, std::unique_ptr<PlayerCard> made,
                        PlayerCard* card);
    // The title and its changed mark, after the view showed values.
    void showTitle();
    void updateButtons();
    // The card wrote its row: the open player grid shows it anew.
    void rowWritten();

    PlayerWindows* m_open = nullptr; // the main window's; used only while this is open
    PlayerEdits m_player;            // the league, the player as read and the typed values
    SharedMeanings* m_shared;        // the area's names and Show Codes
    CardView* m_view = nullptr;
    CardEditor* m_editor = nullptr;
    CardWalk* m_walk = nullptr;
    QPushButton* m_previous = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_revert = nullptr;
};
