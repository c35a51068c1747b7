#include "shell/PreviousLeague.h"

#include "core/db/Error.h"
#include "core/db/LeagueFiles.h"
#include "ui/Prompts.h"
#include "windows/grid/TableWindow.h"
#include "windows/players/PlayerCard.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace {
QString leagueOf(QWidget* window)
{
    if (const auto* grid = qobject_cast<TableWindow*>(window))
        return grid->leaguePath();
    if (const auto* card = qobject_cast<PlayerCard*>(window))
        return card->leaguePath();
    return {};
}
} // namespace

void offerToClosePreviousLeague(QMdiArea* area, const QString& previous, const QString& next)
{
    if (previous.isEmpty() || db::sameFile(previous, next))
        return;
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* sub : area->subWindowList()) {
        const QString league = leagueOf(sub->widget());
        if (!league.isEmpty() && !db::sameFile(league, next))
            windows << sub;
    }
    if (windows.isEmpty())
        return;
    const QString league = db::quotedPath(previous);
    const QString question =
        windows.size() == 1
            ? QStringLiteral("A window still shows the league %1. Close it?").arg(league)
            : QStringLiteral("%1 windows still show the league %2. Close them?")
                  .arg(windows.size())
                  .arg(league);
    if (!Prompts::ask(area, question))
        return;
    for (QMdiSubWindow* sub : std::as_const(windows))
        sub->close();
}
