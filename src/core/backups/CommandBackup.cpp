#include "core/backups/Backups.h"

#include "core/db/Database.h"

#include <QFile>
#include <sqlite3.h>
#include <utility>

namespace backups {

CommandBackup::CommandBackup(QString leaguePath, QString command, KeepRule keep, UndoReceiver undo)
    : m_league(std::move(leaguePath)), m_command(std::move(command)), m_keep(std::move(keep)),
      m_undo(std::move(undo))
{
}

CommandBackup::~CommandBackup()
{
    if (!m_backup.isEmpty() && !m_kept)
        QFile::remove(m_backup);
}

db::Error CommandBackup::take(db::Database& league)
{
    const std::optional<quint32> counter = league.changeCounter();
    if (db::Error e = backups::take(league, m_command, &m_backup))
        return e;
    if (m_undo && counter) {
        // Whether the transaction wrote anything is known only as it commits,
        // still under its lock: by then its journal is open.
        m_counterBefore = *counter;
        m_handle = league.sqliteHandle();
        sqlite3_file_control(m_handle, "main", SQLITE_FCNTL_JOURNAL_POINTER, &m_journal);
        sqlite3_commit_hook(m_handle, &CommandBackup::onCommit, this);
        sqlite3_rollback_hook(m_handle, &CommandBackup::onRollback, this);
    }
    return {};
}

void CommandBackup::adopt(const QString& backupPath)
{
    m_backup = backupPath;
}

int CommandBackup::onCommit(void* self)
{
    static_cast<CommandBackup*>(self)->endOfTransaction(true);
    return 0;
}

void CommandBackup::onRollback(void* self)
{
    static_cast<CommandBackup*>(self)->endOfTransaction(false);
}

void CommandBackup::endOfTransaction(bool committing)
{
    if (committing)
        m_wrote = m_journal && m_journal->pMethods;
    sqlite3_commit_hook(m_handle, nullptr, nullptr);
    sqlite3_rollback_hook(m_handle, nullptr, nullptr);
    m_handle = nullptr;
}

QString CommandBackup::committed()
{
    if (m_backup.isEmpty())
        return {}; // the command ended before changing anything: nothing to undo
    if (m_wrote == false)
        return {}; // it committed without writing: its backup goes, nothing to undo
    m_kept = true;
    if (!m_undo)
        return prune(m_league, m_keep, m_spared + QStringList{m_backup});
    // Only the receiver knows which older backups its history still needs,
    // so it prunes; without an undo point (the counter did not read) the
    // next command does.
    if (!m_wrote)
        return {};
    // The change counter goes up by one with each commit that writes: the
    // league is still as this command left it while the counter says so.
    return m_undo({m_league, m_backup, m_command, m_counterBefore + 1u, m_keep});
}

} // namespace backups
