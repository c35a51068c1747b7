#pragma once

#include <QPointer>
#include <QString>
#include <functional>

class QMdiArea;
class QMdiSubWindow;
namespace backups {
struct UndoPoint;
}

// The global edit's windows there is only ever one of: the dialog and the
// preview it opens, which stays open when the dialog closes. The main window
// owns one of these; a closed window leaves its pointer null.
struct GlobalEditWindows {
    QPointer<QMdiSubWindow> dialog;
    QPointer<QMdiSubWindow> preview;
};

// Edit > Global Edit: shows the global edit dialog for the league at
// leaguePath inside area, not modal; the first showing loads it into open,
// later ones bring back the same dialog, its team list read again only when
// the league is another one. showResult gets what each OK changed,
// recordUndo the undo point of each.
void showGlobalEdit(GlobalEditWindows& open, QMdiArea* area, const QString& leaguePath,
                    const std::function<void(const QString&)>& showResult,
                    const std::function<QString(const backups::UndoPoint&)>& recordUndo);

// File > Open chose another league: a loaded global edit dialog lists its
// teams from now on, and its OK changes that league.
void globalEditLeagueChanged(const GlobalEditWindows& open, const QString& leaguePath);
