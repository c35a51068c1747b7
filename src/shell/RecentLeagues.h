#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <functional>

class QAction;
class QMenu;

// File's numbered list of the leagues opened last, just above Exit, newest
// first, kept in the settings section "RecentLeagues".
class RecentLeagues : public QObject
{
    Q_OBJECT
public:
    // Adds the items to file above exit; choosing one calls open with its
    // path, which answers whether the league opened.
    RecentLeagues(QMenu* file, QAction* exit, std::function<bool(const QString&)> open);

    // Puts path first in the list.
    void remember(const QString& path);
    // The captions: each file with as many of its folders as tell it apart
    // from the others (at least the one holding it), numbered.
    static QStringList captions(const QStringList& paths);

private:
    QStringList leagues() const;
    void openItem(int index);
    void save(const QStringList& paths);
    void updateItems();

    std::function<bool(const QString&)> m_open;
    QList<QAction*> m_items;
};
