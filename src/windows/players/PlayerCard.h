#pragma once

#include "core/db/Error.h"
#include "core/db/Schema.h"
#include "history/RowStep.h"
#include "ui/EditingWindow.h"
#include "windows/players/PlayerEdits.h"

#include <QHash>
#include <QPointer>
#include <QVariant>
#include <QVector>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>

namespace db {
class Database;
class RecordSet;
} // namespace db

class CardMeanings;
class PlayerWindow;
class QLabel;
class QLineEdit;
class QMdiArea;
class QPushButton;
class QTableWidgetItem;
class RatingsChart;
class RatingsTable;
struct PlayerWindows;

// The player card: one player of the player grid as a form. It shows who the
// player is and his ratings as a table and a bar chart of actual against
// potential, every value exactly as stored, and edits each value in place.
// Save writes only the changed values, through the same guarded write as the
// grid, as one step of the history. Previous and Next walk the grid's rows in
// its order and filter and move the grid's current row with them; the card
// follows the grid's current row. There is only ever one.
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
    QString leaguePath() const;
    bool hasChanges() const { return m_player.hasChanges(); }
    // The shown text of a player column (0..79, the grid's columns).
    QString shownText(int column) const;
    // Text typed into a player column's box, as its editor hands it over:
    // converted to what the field stores, marked when it differs from what
    // was read; refused with a message when it does not fit.
    void typeValue(int column, const QString& text);

    void previous();
    void next();
    void saveChanges();
    void revert();
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
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    PlayerCard();
    // The controls (PlayerCardControls.cpp) and the shown values (PlayerCard.cpp).
    void buildControls();
    QWidget* buildButtons(QList<QPushButton*>* tabOrder);
    QWidget* buildPage();
    QWidget* buildIdentity();
    QWidget* buildRatings();
    void buildRatingsTable(QWidget* frame);
    QPushButton* addButton(const char* name, const QString& caption, void (PlayerCard::*handler)());
    void showValues();
    void showValue(int column);
    void showHeading();
    void showChart();
    void updateButtons();
    QString playerName() const;
    QString teamText() const;

    // Following the grid (PlayerCardWalk.cpp): its rows in its order.
    bool attach(PlayerWindow* grid);
    // Makes the card a window of area (made: a new card) and brings it forward.
    static void present(PlayerWindows& open, QMdiArea* area, std::unique_ptr<PlayerCard> made,
                        PlayerCard* card);
    int gridRow() const;
    void moveGridTo(int row);
    void gridRowChanged();

    // Editing and saving through m_player (PlayerCardEdit.cpp).
    bool openLeague(const QString& path);
    bool showPlayer(qint64 key);
    // Hands a typed but not yet entered value to the card.
    void finishTyping();
    // Before the card shows another player or closes: asks about changed
    // values and saves or drops them. False when a wanted save failed.
    bool leavePlayer();
    bool save();
    void reportSaveError(const db::Error& e);
    // The card wrote its row: the open player grid shows it anew.
    void rowWritten();

    QPointer<PlayerWindow> m_grid;
    std::optional<QVector<qint64>> m_list; // the keys Previous and Next walk, when no grid
    PlayerWindows* m_open = nullptr;       // the main window's; used only while this is open
    PlayerEdits m_player;                  // the league, the player as read and the typed values
    bool m_filling = false;

    std::array<QLineEdit*, db::schema::PlayerFixedColumnCount> m_edits{};
    std::array<QTableWidgetItem*, db::schema::PlayerColumnCount> m_items{};
    QWidget* m_page = nullptr; // the values, under the buttons
    QLabel* m_name = nullptr;
    QLabel* m_team = nullptr;
    QLabel* m_position = nullptr;
    RatingsTable* m_table = nullptr;
    RatingsChart* m_chartView = nullptr;
    QPushButton* m_previous = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_revert = nullptr;
    CardMeanings* m_meanings = nullptr; // positions and teams by name
};
