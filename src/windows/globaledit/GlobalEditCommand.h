#pragma once

#include <QSize>
#include <QString>
#include <functional>

class QMdiArea;
class QMdiSubWindow;
namespace backups {
struct UndoPoint;
}

// Edit > Global Edit: shows the global edit dialog for the league at
// leaguePath inside area, not modal; the first showing loads it, later ones
// bring back the same dialog, its team list read again only when the league
// is another one. showResult gets what each OK changed, recordUndo the undo
// point of each.
void showGlobalEdit(QMdiArea* area, const QString& leaguePath,
                    const std::function<void(const QString&)>& showResult,
                    const std::function<void(const backups::UndoPoint&)>& recordUndo);

// File > Open chose another league: a loaded global edit dialog lists its
// teams from now on, and its OK changes that league.
void globalEditLeagueChanged(const QString& leaguePath);

// Makes a window of the global edit no larger than the area's visible part
// and moves it into that part, so its title bar and close box can be reached.
void fitWindowIntoArea(QMdiSubWindow* window, QMdiArea* area, QSize wanted);

// However window is activated (its command, a click, the Window menu,
// Ctrl+F6, a window closing), the area would maximize it beside a maximized
// window and restore that one: for its activation the area keeps the others
// as they are. Call before the window is added to area.
void keepOthersMaximized(QMdiSubWindow* window, QMdiArea* area);
