#pragma once

#include "db/Error.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <optional>

// Copies of a league taken before the commands that change it as a whole
// (Global Edit, Clear Database, a restore), kept in a folder beside the
// league, and their all-or-nothing restore.
namespace backups {

// "<league file>.backups", beside the league.
QString folderFor(const QString& leaguePath);

// How many backups of a league are kept: [Backups] Keep in the settings
// store, 10 when absent or not a whole number of at least 1.
int keepCount();

struct Backup {
    QString path;
    QDateTime taken;
    QString command; // "Global Edit", "Clear Database", ...
    qint64 size = 0; // bytes
};
// The league's backups, newest first.
QList<Backup> list(const QString& leaguePath);

// Copies the league file into "<folder>/<yyyy-MM-dd HH-mm-ss> <command>.mdb".
// The caller holds the league's write lock and has changed nothing yet, so
// the file is exactly the state the command starts from. The copy is on disk
// when this returns; one that fails leaves no backup behind and an error
// that says the command was stopped.
db::Error take(const QString& leaguePath, const QString& command, QString* backupPath = nullptr);

// Removes all but the newest keep backups of the league, and never one
// that neededBackups() lists.
void prune(const QString& leaguePath, int keep);

// Backups the program's undo history may still restore (paths), which
// pruning keeps whatever their age; the history sets them as it changes.
void setNeededBackups(const QStringList& paths);
QStringList neededBackups();

// The file change counter in the SQLite header: every commit to the file
// changes it. Empty when the file cannot be read.
std::optional<quint32> changeCounter(const QString& path);

// Replaces the league with the backup, all or nothing: a kill half-way
// leaves the old league, rolled back on the next open. Under the league's
// write lock it first checks that the league's change counter still equals
// unchangedSince (when given) and backs the league up under command, so the
// restore can itself be undone; savedAs gets that backup's path.
db::Error restore(const QString& leaguePath, const QString& backupPath, const QString& command,
                  std::optional<quint32> unchangedSince = {}, QString* savedAs = nullptr);

// The backup of one command that changes a league. take() runs under the
// command's write lock before any change (on whatever thread holds it);
// committed() runs after the commit and makes the backup the one Edit >
// Undo Global Edit restores; without a backup taken it does nothing.
class CommandBackup
{
public:
    CommandBackup(QString leaguePath, QString command);
    db::Error take();
    void committed();

private:
    QString m_league;
    QString m_command;
    QString m_backup;
};

// What Undo Global Edit restores: the backup taken before the last global
// edit or Clear Database of this run, and the league's change counter right
// after that command committed.
struct UndoPoint {
    QString league;
    QString backup;
    QString command;
    quint32 counter = 0;
};

class UndoRecord : public QObject
{
    Q_OBJECT
public:
    static UndoRecord& instance();
    const std::optional<UndoPoint>& point() const { return m_point; }
    void set(const UndoPoint& point);
    void clear();

signals:
    void changed();

private:
    std::optional<UndoPoint> m_point;
};

} // namespace backups
