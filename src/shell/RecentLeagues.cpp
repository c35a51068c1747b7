// File's list of the leagues opened last, just above Exit.
#include "shell/MainWindow.h"

#include "ui/Settings.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <algorithm>

namespace {
constexpr int RecentCount = 4;

QString recentKey(int index)
{
    return QStringLiteral("League%1").arg(index + 1);
}

QStringList storedLeagues()
{
    QStringList paths;
    for (int i = 0; i < RecentCount; ++i) {
        if (const QString path = readSetting(settings::RecentLeague, recentKey(i)); !path.isEmpty())
            paths << path;
    }
    return paths;
}
} // namespace

QStringList MainWindow::recentLeagues() const
{
    // One rule for the list: an entry leaves it when no regular file is at
    // its path (gone, or a folder now); a file that does not open stays.
    QStringList paths = storedLeagues();
    paths.removeIf([](const QString& path) { return !QFileInfo(path).isFile(); });
    return paths;
}

void MainWindow::saveRecentLeagues(const QStringList& paths)
{
    for (int i = 0; i < RecentCount; ++i)
        writeSetting(settings::RecentLeague, paths.value(i), recentKey(i));
    updateRecentLeagueItems();
}

void MainWindow::rememberRecentLeague(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList paths = recentLeagues();
    paths.removeAll(absolute);
    paths.prepend(absolute);
    saveRecentLeagues(paths.mid(0, RecentCount));
}

QStringList MainWindow::recentLeagueCaptions(const QStringList& paths)
{
    // Leagues are mostly all named AccessConvert.mdb: show each with as many
    // of its folders as it takes to tell it from the others.
    QList<QStringList> parts;
    for (const QString& path : paths)
        parts << QDir::fromNativeSeparators(path).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    auto tail = [](const QStringList& p, qsizetype n) {
        return p.mid(std::max<qsizetype>(0, p.size() - n));
    };
    QStringList captions;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        qsizetype n = 2;
        auto sharedWithAnother = [&] {
            for (qsizetype j = 0; j < parts.size(); ++j) {
                if (j != i && tail(parts[j], n) == tail(parts[i], n))
                    return true;
            }
            return false;
        };
        while (n < parts[i].size() && sharedWithAnother())
            ++n;
        QString shown = QDir::toNativeSeparators(tail(parts[i], n).join(QLatin1Char('/')));
        if (n >= parts[i].size() && QDir::isAbsolutePath(paths[i]))
            shown = QDir::toNativeSeparators(paths[i]);
        else
            shown = QStringLiteral("\u2026") + QDir::separator() + shown;
        captions << QStringLiteral("&%1 %2").arg(i + 1).arg(
            shown.replace(QLatin1Char('&'), QStringLiteral("&&")));
    }
    return captions;
}

void MainWindow::buildRecentLeagues()
{
    QMenu* file = findChild<QMenu*>(QStringLiteral("mnuFile"));
    QAction* exit = action(QStringLiteral("mnuExit"));
    for (int i = 0; i < RecentCount; ++i) {
        auto* item = new QAction(file);
        item->setObjectName(QStringLiteral("mnuRecentLeague%1").arg(i + 1));
        connect(item, &QAction::triggered, this, [this, i] { openRecentLeague(i); });
        file->insertAction(exit, item);
        m_recentLeagueItems << item;
    }
    QAction* space = file->insertSeparator(exit);
    space->setObjectName(QStringLiteral("mnuRecentSpace"));
    m_recentLeagueItems << space;
    connect(file, &QMenu::aboutToShow, this, &MainWindow::updateRecentLeagueItems);
    updateRecentLeagueItems();
}

void MainWindow::updateRecentLeagueItems()
{
    const QStringList paths = recentLeagues();
    if (paths != storedLeagues()) {
        saveRecentLeagues(paths);
        return;
    }
    const QStringList captions = recentLeagueCaptions(paths);
    for (int i = 0; i < RecentCount; ++i) {
        QAction* item = m_recentLeagueItems.at(i);
        item->setText(captions.value(i));
        item->setToolTip(QDir::toNativeSeparators(paths.value(i)));
        item->setVisible(i < paths.size());
    }
    m_recentLeagueItems.last()->setVisible(!paths.isEmpty()); // the line above Exit
}

void MainWindow::openRecentLeague(int index)
{
    // As listed when the menu showed: the file may have gone since.
    const QString path = storedLeagues().value(index);
    if (path.isEmpty())
        return;
    showCommandResult({});
    // One that is gone is refused with the usual message, and leaves the list.
    if (!openLeague(path))
        updateRecentLeagueItems();
}
