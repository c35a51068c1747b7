#pragma once

#include "windows/grid/TableWindow.h"

#include <QPointer>

class QMdiArea;
class PlayerCard;

// The player grid window: the table grid window over PlayerTable with the 80
// fixed player columns, no new-row line, no deleting, and a Settings button
// whose dialog picks the visible columns. There is only ever one.
class PlayerWindow : public TableWindow
{
    Q_OBJECT
public:
    // The open player grid window, or nullptr while there is none.
    static PlayerWindow* instance();
    // Loads the window from the league at databasePath and shows it inside
    // area, or brings the open one forward. Returns false when the load
    // failed (its error was shown and no window is left).
    static bool showSingle(QMdiArea* area, const QString& databasePath);

    // Shows or hides columns 1..79 as the stored choice says; column 0, the
    // league name, is never touched.
    void applyColumnSettings();
    void editSettings();
    // The player card for the current row (context menu, Ctrl+Shift+P, or a
    // double-click on a record selector); nullptr when it cannot show one.
    PlayerCard* showPlayerCard();

protected:
    void beforeLoad() override;
    void unload() override;

private:
    explicit PlayerWindow(const QString& databasePath);
    // FirstName and LastName stay in view while the grid is scrolled right.
    void buildFrozenNames();
    void addPlayerCardCommand();
};
