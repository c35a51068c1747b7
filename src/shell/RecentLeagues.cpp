#include "shell/RecentLeagues.h"

#include "ui/Settings.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <algorithm>
#include <utility>

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

QStringList RecentLeagues::leagues() const
{
    // One rule for the list: an entry leaves it when no regular file is at
    // its path (gone, or a folder now); a file that does not open stays.
    QStringList paths = storedLeagues();
    paths.removeIf([](const QString& path) { return !QFileInfo(path).isFile(); });
    return paths;
}

void RecentLeagues::save(const QStringList& paths)
{
    for (int i = 0; i < RecentCount; ++i)
        writeSetting(settings::RecentLeague, paths.value(i), recentKey(i));
    updateItems();
}

void RecentLeagues::remember(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList paths = leagues();
    paths.removeAll(absolute);
    paths.prepend(absolute);
    save(paths.mid(0, RecentCount));
}

QStringList RecentLeagues::captions(const QStringList& paths)
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

RecentLeagues::RecentLeagues(QMenu* file, QAction* exit, std::function<bool(const QString&)> open)
    : QObject(file), m_open(std::move(open))
{
    for (int i = 0; i < RecentCount; ++i) {
        auto* item = new QAction(file);
        item->setObjectName(QStringLiteral("mnuRecentLeague%1").arg(i + 1));
        connect(item, &QAction::triggered, this, [this, i] { openItem(i); });
        file->insertAction(exit, item);
        m_items << item;
    }
    QAction* space = file->insertSeparator(exit);
    space->setObjectName(QStringLiteral("mnuRecentSpace"));
    m_items << space;
    connect(file, &QMenu::aboutToShow, this, &RecentLeagues::updateItems);
    updateItems();
}

void RecentLeagues::updateItems()
{
    const QStringList paths = leagues();
    if (paths != storedLeagues()) {
        save(paths);
        return;
    }
    const QStringList shown = captions(paths);
    for (int i = 0; i < RecentCount; ++i) {
        QAction* item = m_items.at(i);
        item->setText(shown.value(i));
        item->setToolTip(QDir::toNativeSeparators(paths.value(i)));
        item->setVisible(i < paths.size());
    }
    m_items.last()->setVisible(!paths.isEmpty()); // the line above Exit
}

void RecentLeagues::openItem(int index)
{
    // As listed when the menu showed: the file may have gone since.
    const QString path = storedLeagues().value(index);
    if (path.isEmpty())
        return;
    // One that is gone is refused with the usual message, and leaves the list.
    if (!m_open(path))
        updateItems();
}
