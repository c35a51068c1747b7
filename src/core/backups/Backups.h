#pragma once

#include "core/db/Error.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <utility>

namespace db {
class Database;
}
struct sqlite3;
struct sqlite3_file;

// Copies of a league taken before the commands that change it as a whole
// (Global Edit, Clear Database, a restore), kept in a folder beside the
// league, and their all-or-nothing restore.
//
// The league file is only ever read through the SQLite connection that holds
// its lock. On POSIX, closing any descriptor a process has on a file drops
// every lock the process holds on it, SQLite's included: a copy made with a
// descriptor of its own would let another program write the league while
// this one believes it holds the lock.
namespace backups {

// "<league file>.backups", beside the league.
QString folderFor(const QString& leaguePath);

// The command names a backup's file name may carry; a file with any other
// name in the backups folder is the user's and is never listed or deleted.
const QStringList& commandNames();
// The name of a league file that no longer opened, kept aside by a restore.
extern const QString DamagedLeague;

// [Backups] Keep: how many backups of a league are kept, read from its stored
// text (the settings give 10 when it is absent). A whole number written in
// digits, at least 1, is honoured however large. Any other value keeps every
// backup, and ignored holds it for the status bar.
struct KeepRule {
    std::optional<qint64> count; // nullopt: keep every backup
    QString ignored;             // the stored value when it was not a count
};
KeepRule keepRule(const QString& stored);

struct Backup {
    QString path;
    QDateTime taken;
    QString command; // "Global Edit", "Clear Database", ...
    qint64 size = 0; // bytes
};
// The league's backups, newest first. Names are
// "<yyyy-MM-dd HH-mm-ss> #<number> <command>.mdb": the number, one more than
// the highest in the folder, orders them whatever the clock did; names of
// earlier versions, "<yyyy-MM-dd HH-mm-ss> <command>[ (n)].mdb", are older
// than every numbered one.
QList<Backup> list(const QString& leaguePath);

// Copies the league that the connection holds open into its backups folder,
// named for command. The caller holds the league's write lock and has
// changed nothing yet, so the file is exactly the state the command starts
// from. The copy is on disk when this returns; one that fails leaves no
// backup behind and an error that says the command was stopped.
db::Error take(db::Database& league, const QString& command, QString* backupPath = nullptr);

// Removes all but the newest backups the Keep rule keeps; never one of
// spared (the one just taken, those an undo history may still restore), nor
// a Damaged League copy, which is no league to restore but the user's, to
// salvage or delete.
// Returns a sentence for the status bar when the Keep setting was ignored.
QString prune(const QString& leaguePath, const KeepRule& keep, const QStringList& spared = {});

// The same for copies of another file kept in its "<file>.backups" folder,
// whose names end in extension.
QString pruneCopies(const QString& path, const QString& extension, const KeepRule& keep,
                    const QStringList& spared = {});

// Copies a file that no connection of this program holds (an Access file
// about to be written) into "<file>.backups", named as a league's backups
// are but ending in the file's own extension. On disk when this returns.
db::Error copyFile(const QString& path, const QString& command, QString* backupPath = nullptr);

// Replaces the league with the backup, all or nothing: a kill half-way
// leaves the old league, rolled back on the next open. The backup is checked
// first; a damaged one, or one that is no league, changes nothing. Under the
// league's write lock it then checks that the league's change counter still
// equals unchangedSince (when given) and backs the league up under command,
// so the restore can itself be undone. A league that no longer opens is kept
// aside as a "Damaged League" backup (when there is a file to keep) and then
// replaced; so is a sound SQLite file that lacks a league table, under its
// lock like a league. A backup that is the league file itself (a link to
// it) is refused. The prune after it spares spared.
struct RestoreResult {
    QString note;    // what the status bar adds to the result
    QString savedAs; // the backup of the state replaced; empty when none was kept
    // The league's change counter as the restore left it, known under its
    // lock, so a later change by anyone else is told apart.
    std::optional<quint32> counter;
    // The league did not open as a league: savedAs, if any, keeps the file
    // for the user, but is no league an undo could go back to.
    bool damaged = false;
};
db::Error restore(const QString& leaguePath, const QString& backupPath, const QString& command,
                  const KeepRule& keep, const QStringList& spared = {},
                  std::optional<quint32> unchangedSince = {}, RestoreResult* result = nullptr);

// True for an error that says the league file is missing, damaged or no
// league: Restore Backup can still replace such a file.
bool isDamagedLeague(const db::Error& e);

// Makes every backup copy fail with errno error (0: copies work again), the
// way a full disk fails them. For tests only.
void simulateWriteFailure(int error);
// Makes every read of a backup copy fail with errno error (0: reads work
// again), the way a failing disk fails them. For tests only.
void simulateReadFailure(int error);

// What Edit > Undo restores after a command that replaced the league as a
// whole: the backup taken before it and the league's change counter right
// after it committed.
struct UndoPoint {
    QString league;
    QString backup;
    QString command;
    quint32 counter = 0;
    KeepRule keep; // the command's, for the prune that follows
};
// Takes a command's undo point as it commits: the program's undo history,
// handed to the command by whoever owns that history. It then prunes the
// league's backups by the point's Keep rule, sparing the point's backup and
// those the history may still restore. Returns a sentence for the status
// bar: the prune's, or when taking the point changed the history otherwise
// (older steps dropped) that.
using UndoReceiver = std::function<QString(const UndoPoint&)>;

// The backup of one command that changes a league. take() runs under the
// command's write lock before any change (on whatever thread holds it), and
// the object must outlive that transaction; committed() runs after the
// commit. A backup whose command did not commit holds nothing the league
// does not, and goes when this object does.
class CommandBackup
{
public:
    // undo: gets the undo point when the command wrote, and prunes; none:
    // the backup is kept but nothing can undo the command with it, and the
    // command prunes by keep alone.
    CommandBackup(QString leaguePath, QString command, KeepRule keep, UndoReceiver undo = {});
    ~CommandBackup();
    CommandBackup(const CommandBackup&) = delete;
    CommandBackup& operator=(const CommandBackup&) = delete;

    db::Error take(db::Database& league);
    // Takes on a backup copied without a connection (a league that no
    // longer opens).
    void adopt(const QString& backupPath);
    // Backups its prune leaves besides its own (without an undo receiver).
    void spare(QStringList backups) { m_spared = std::move(backups); }
    // Keeps the backup and hands the undo point on, or prunes older ones.
    // Returns the undo receiver's or the prune's status-bar sentence, if any.
    QString committed();
    QString path() const { return m_backup; }

private:
    static int onCommit(void* self);
    static void onRollback(void* self);
    void endOfTransaction(bool committing);

    QString m_league;
    QString m_command;
    KeepRule m_keep;
    UndoReceiver m_undo;
    QStringList m_spared;
    QString m_backup;
    sqlite3_file* m_journal = nullptr;
    sqlite3* m_handle = nullptr;
    quint32 m_counterBefore = 0;
    std::optional<bool> m_wrote; // set when the transaction commits
    bool m_kept = false;
};

} // namespace backups
