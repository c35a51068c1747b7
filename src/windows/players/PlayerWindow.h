#pragma once

#include "windows/grid/TableWindow.h"

#include <QPointer>

class QMdiArea;
class PlayerColumnsDialog;
struct PlayerWindows;

// The player grid window: the table grid window over PlayerTable with the 80
// fixed player columns, no new-row line, no deleting, and a Settings button
// whose dialog picks the visible columns. There is only ever one.
class PlayerWindow : public TableWindow
{
    Q_OBJECT
public:
    // Loads the window from the league at databasePath and shows it inside
    // area, or brings open.grid forward. Returns false when the load failed
    // (its error was shown and no window is left). The window and its card
    // are held in open.
    static bool showSingle(PlayerWindows& open, QMdiArea* area, const QString& databasePath);

    // Shows or hides columns 1..79 as the stored choice says; column 0, the
    // league name, is never touched.
    void applyColumnSettings();
    void editSettings();
    // The settings dialog while it is shown, else nullptr.
    PlayerColumnsDialog* settingsDialog() const;

signals:
    // The user asked for the player card of the current row (context menu,
    // Ctrl+Shift+P, or a double-click on a record selector).
    void playerCardRequested();

protected:
    void beforeBind() override;
    void windowClosing() override;

private:
    PlayerWindow(PlayerWindows& open, SharedMeanings* shared, const QString& databasePath);
    // FirstName and LastName stay in view while the grid is scrolled right.
    void buildFrozenNames();
    void addPlayerCardCommand();
    // Co&mpare Players: the selected rows, 2 to 4 of them, side by side.
    void addCompareCommand();
    void compareSelected();

    PlayerWindows& m_open; // the main window's; used only while this is open
    QPointer<PlayerColumnsDialog> m_settings;
};
