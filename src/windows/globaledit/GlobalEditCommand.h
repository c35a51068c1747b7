#pragma once

#include <QString>
#include <functional>

class QMdiArea;
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
