#include "core/backups/Backups.h"

#include "core/db/AtomicFile.h"
#include "core/db/Database.h"
#include "core/db/LeagueFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sqlite3.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <utility>
#include <vector>

namespace backups {

namespace {

const QString DateFormat = QStringLiteral("yyyy-MM-dd");
const QString TimeFormat = QStringLiteral("HH-mm-ss");

std::atomic<int> simulatedWriteError{0};
std::atomic<int> simulatedReadError{0};

QString stamp(const QDate& date, const QTime& time)
{
    return date.toString(DateFormat) + QLatin1Char(' ') + time.toString(TimeFormat);
}

// A league's backups end in ".mdb"; an Access file's copies in its own extension.
const QString LeagueExtension = QStringLiteral("mdb");

QString numberedName(const QString& stampText, qint64 number, const QString& command,
                     const QString& extension = LeagueExtension)
{
    return QStringLiteral("%1 #%2 %3.%4")
        .arg(stampText, QStringLiteral("%1").arg(number, 4, 10, QLatin1Char('0')), command,
             extension);
}

// Names of earlier versions: a second of the clock, " (n)" from the second
// backup of that second on.
QString legacyName(const QString& stampText, const QString& command, int n)
{
    return stampText + QLatin1Char(' ') + command +
           (n > 1 ? QStringLiteral(" (%1)").arg(n) : QString()) + QStringLiteral(".mdb");
}

struct Entry {
    Backup backup;
    // Numbered names sort after every older name, then by their number.
    std::tuple<bool, qint64, int> order;
};

// The backup a file name stands for, when the whole name is one this program
// writes: it is rebuilt from its parts and must come out the same.
std::optional<Entry> parseName(const QString& fileName, const QString& extension)
{
    static const QRegularExpression numbered(
        QStringLiteral(R"(^(\d{4}-\d\d-\d\d) (\d\d-\d\d-\d\d) #(\d{4,15}) (.+)\.([^.]+)$)"));
    static const QRegularExpression legacy(
        QStringLiteral(R"(^(\d{4}-\d\d-\d\d) (\d\d-\d\d-\d\d) (.+?)(?: \((\d{1,9})\))?\.mdb$)"));
    QRegularExpressionMatch m = numbered.match(fileName);
    const bool isNumbered = m.hasMatch();
    if (!isNumbered && extension == LeagueExtension)
        m = legacy.match(fileName);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date = QDate::fromString(m.captured(1), DateFormat);
    const QTime time = QTime::fromString(m.captured(2), TimeFormat);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    const QString stampText = stamp(date, time);
    Entry entry;
    entry.backup.taken = QDateTime(date, time);
    if (isNumbered) {
        const qint64 number = m.captured(3).toLongLong();
        entry.backup.command = m.captured(4);
        entry.order = {true, number, 0};
        if (numberedName(stampText, number, entry.backup.command, extension) != fileName)
            return std::nullopt;
    } else {
        const int n = m.captured(4).isEmpty() ? 1 : m.captured(4).toInt();
        entry.backup.command = m.captured(3);
        entry.order = {false, entry.backup.taken.toSecsSinceEpoch(), n};
        if (entry.backup.command == DamagedLeague ||
            legacyName(stampText, entry.backup.command, n) != fileName)
            return std::nullopt;
    }
    if (!commandNames().contains(entry.backup.command))
        return std::nullopt;
    return entry;
}

QList<Entry> entries(const QString& leaguePath, const QString& extension = LeagueExtension)
{
    QList<Entry> found;
    const QDir folder(folderFor(leaguePath));
    for (const QFileInfo& file :
         folder.entryInfoList({QStringLiteral("*.") + extension}, QDir::Files)) {
        std::optional<Entry> entry = parseName(file.fileName(), extension);
        if (!entry)
            continue; // not one of ours
        entry->backup.path = file.absoluteFilePath();
        entry->backup.size = file.size();
        found.append(*entry);
    }
    std::sort(found.begin(), found.end(),
              [](const Entry& a, const Entry& b) { return a.order > b.order; });
    return found;
}

// The next backup's path: numbered one above every backup in the folder.
// Backups of one league are taken under its write lock, so no other program
// picks the same number meanwhile.
QString newPath(const QString& leaguePath, const QString& command,
                const QString& extension = LeagueExtension)
{
    qint64 last = 0;
    for (const Entry& e : entries(leaguePath, extension)) {
        if (std::get<0>(e.order))
            last = std::max(last, std::get<1>(e.order));
    }
    const QDateTime now = QDateTime::currentDateTime();
    return folderFor(leaguePath) + QLatin1Char('/') +
           numberedName(stamp(now.date(), now.time()), last + 1, command, extension);
}

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Why a backup could not be written; a full disk says so and names the file.
db::Error backupFailed(const QString& where, int error)
{
    if (error == ENOSPC || error == EDQUOT)
        return {db::WriteFailed,
                QStringLiteral("The disk is full: the backup %1 could not be written, so the "
                               "command was stopped before it changed anything. Free some disk "
                               "space and try again.")
                    .arg(db::quotedPath(where))};
    return {db::WriteFailed,
            QStringLiteral("The league could not be backed up to %1 (%2), so the command was "
                           "stopped before it changed anything.")
                .arg(db::quotedPath(where), systemText(error))};
}

db::Error makeFolder(const QString& leaguePath)
{
    const QString folder = folderFor(leaguePath);
    if (QDir().mkpath(folder))
        return {};
    return {db::WriteFailed,
            QStringLiteral("The league could not be backed up to %1 (the folder cannot be made), "
                           "so the command was stopped before it changed anything.")
                .arg(db::quotedPath(folder))};
}

// Reads bytes at an offset into the buffer; 0 or an errno value.
using Reader = std::function<int(char* into, qint64 bytes, qint64 offset)>;

// Writes size bytes under a name no listing takes for a backup, flushes them
// to the disk and only then gives the file its name: a file that has its name
// is whole. beforeRename runs just before that. Returns 0 or an errno value.
int writeFile(const Reader& read, qint64 size, const QString& to,
              const std::function<int()>& beforeRename = {})
{
    db::AtomicFile file(to, QFileInfo(to).fileName() + QStringLiteral(".part"));
    int error = file.open();
    std::vector<char> buffer(size_t(1) << 20);
    for (qint64 offset = 0; offset < size && !error;) {
        const qint64 n = std::min<qint64>(qint64(buffer.size()), size - offset);
        error = read(buffer.data(), n, offset);
        if (!error)
            error = simulatedWriteError.load();
        if (!error)
            error = file.write(buffer.data(), n);
        offset += n;
    }
    return error ? error : file.commit(db::Placing::Replace, beforeRename);
}

// The league file as the connection holds it open.
sqlite3_file* fileOf(db::Database& league)
{
    sqlite3_file* file = nullptr;
    if (!league.isOpen() || sqlite3_file_control(league.sqliteHandle(), "main",
                                                 SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK)
        return nullptr;
    return file && file->pMethods ? file : nullptr;
}

// Copies a file no connection of ours holds, through a descriptor of its own.
int copyPlainFile(const QString& from, const QString& to,
                  const std::function<int()>& beforeRename = {})
{
    const int fd = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat info {
    };
    int error = ::fstat(fd, &info) == 0 ? 0 : errno;
    if (!error) {
        const Reader read = [fd](char* into, qint64 bytes, qint64 offset) {
            while (bytes > 0) {
                const int simulated = simulatedReadError.load();
                const ssize_t n =
                    simulated ? (errno = simulated, -1) : ::pread(fd, into, size_t(bytes), offset);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0)
                    return n < 0 ? errno : EIO;
                into += n;
                bytes -= n;
                offset += n;
            }
            return 0;
        };
        error = writeFile(read, info.st_size, to, beforeRename);
    }
    ::close(fd);
    return error;
}

db::Error sqliteError(int code)
{
    return db::engineError(code, QString::fromUtf8(sqlite3_errstr(code)));
}

QString fileName(const QString& path)
{
    return QFileInfo(path).fileName();
}

// Opens the backup and checks every page of it: SQLite's backup copies pages
// as they are, so a damaged backup would make a damaged league.
db::Error openBackup(const QString& backupPath, db::Database& source)
{
    db::Error e = source.open(backupPath);
    QStringList problems;
    if (!e)
        e = source.query(QStringLiteral("PRAGMA quick_check"), {},
                         [&](const db::Statement& q) { problems << q.text(0); });
    if (!e && problems != QStringList{QStringLiteral("ok")})
        e = {SQLITE_CORRUPT, problems.join(QStringLiteral("; "))};
    if (!e)
        return {};
    return {e.number,
            QStringLiteral("The backup \"%1\" is damaged or is not a league, so the league was "
                           "not changed. %2")
                .arg(fileName(backupPath), e.description)};
}

// The restore of a league that opens: SQLite's backup API writes the pages
// in one journaled transaction on a connection to the league.
db::Error restoreInto(db::Database& league, db::Database& source, const QString& command,
                      const KeepRule& keep, std::optional<quint32> unchangedSince,
                      RestoreResult* result)
{
    sqlite3_backup* copy =
        sqlite3_backup_init(league.sqliteHandle(), "main", source.sqliteHandle(), "main");
    if (!copy)
        return db::engineError(league.sqliteHandle());
    CommandBackup kept(league.path(), command, keep);
    // A first step of no pages takes the league's exclusive lock and writes
    // nothing: from here the file on disk is the state being replaced.
    int rc = sqlite3_backup_step(copy, 0);
    db::Error e;
    std::optional<quint32> before;
    if (rc != SQLITE_OK && rc != SQLITE_DONE)
        e = sqliteError(rc);
    else if (before = league.changeCounter(); unchangedSince && before != unchangedSince)
        e = {db::LeagueChanged, QStringLiteral("The league has changed since.")};
    else
        e = kept.take(league);
    if (!e) {
        // One step copies every page in one journaled transaction.
        rc = sqlite3_backup_step(copy, -1);
        if (rc != SQLITE_DONE)
            e = sqliteError(rc);
    }
    sqlite3_backup_finish(copy); // rolls back what an unfinished copy wrote
    if (!e) {
        const QString pruned = kept.committed();
        // The copy is one commit on the league, which counts up by one.
        if (result)
            *result = {pruned, kept.path(), before ? std::optional(*before + 1) : std::nullopt,
                       false};
    }
    return e;
}

// The restore of a league file that no longer opens, so no lock can be
// taken on it: what is there is copied aside as it is, then the backup is
// written beside it and renamed over it, all or nothing.
db::Error replaceDamaged(const QString& leaguePath, const QString& backupPath, const KeepRule& keep,
                         std::optional<quint32> backupCounter, RestoreResult* result)
{
    const QFileInfo info(leaguePath);
    // Through a link, the file it leads to is the league.
    const QString target = info.exists()      ? info.canonicalFilePath()
                           : info.isSymLink() ? info.symLinkTarget()
                                              : info.absoluteFilePath();
    if (db::Error e = makeFolder(leaguePath))
        return e;
    CommandBackup kept(leaguePath, DamagedLeague, keep);
    QString keptText = QStringLiteral("There was no league file to keep.");
    if (info.exists() && info.size() > 0) {
        const QString path = newPath(leaguePath, DamagedLeague);
        if (const int error = copyPlainFile(target, path))
            return backupFailed(path, error);
        kept.adopt(path);
        keptText =
            QStringLiteral("The league file as it was is kept as \"%1\".").arg(fileName(path));
    }
    // A journal left beside the old file would be played back into the new one.
    const QString journal = target + QStringLiteral("-journal");
    const int error = copyPlainFile(backupPath, target, [&] {
        return ::unlink(QFile::encodeName(journal).constData()) == 0 || errno == ENOENT ? 0 : errno;
    });
    if (error) {
        if (error == ENOSPC || error == EDQUOT)
            return backupFailed(target, error);
        return {db::WriteFailed, QStringLiteral("The backup could not be written over the league "
                                                "%1 (%2); the league was not changed.")
                                     .arg(db::quotedPath(target), systemText(error))};
    }
    const QString pruned = kept.committed();
    // The league is now the backup byte for byte.
    if (result)
        *result = {pruned.isEmpty() ? keptText : keptText + QLatin1Char(' ') + pruned, kept.path(),
                   backupCounter, true};
    return {};
}

} // namespace

const QString DamagedLeague = QStringLiteral("Damaged League");

QString folderFor(const QString& leaguePath)
{
    return QFileInfo(leaguePath).absoluteFilePath() + QStringLiteral(".backups");
}

const QStringList& commandNames()
{
    // The commands that change a league as a whole, their Undo and Redo.
    static const QStringList names = [] {
        const QStringList commands{QStringLiteral("Global Edit"), QStringLiteral("Clear Database"),
                                   QStringLiteral("Restore Backup")};
        QStringList all = commands;
        for (const QString& command : commands)
            all << QStringLiteral("Undo ") + command << QStringLiteral("Redo ") + command;
        // An Access file's copy before a league is written back into it.
        return all << DamagedLeague << QStringLiteral("Write Back");
    }();
    return names;
}

KeepRule keepRule(const QString& text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    const QString number = text.trimmed();
    if (!digits.match(number).hasMatch() || number.count(QLatin1Char('0')) == number.size())
        return {std::nullopt, text.isNull() ? QStringLiteral("") : text};
    bool fits = false;
    const qint64 count = number.toLongLong(&fits);
    return {fits ? std::optional<qint64>(count) : std::nullopt, {}}; // too large: keep all
}

QList<Backup> list(const QString& leaguePath)
{
    QList<Backup> result;
    for (const Entry& e : entries(leaguePath))
        result.append(e.backup);
    return result;
}

db::Error take(db::Database& league, const QString& command, QString* backupPath)
{
    if (db::Error e = makeFolder(league.path()))
        return e;
    const QString path = newPath(league.path(), command);
    sqlite3_file* file = fileOf(league);
    sqlite3_int64 size = 0;
    if (!file || file->pMethods->xFileSize(file, &size) != SQLITE_OK)
        return backupFailed(path, EIO);
    const Reader read = [file](char* into, qint64 bytes, qint64 offset) {
        return file->pMethods->xRead(file, into, int(bytes), offset) == SQLITE_OK ? 0 : EIO;
    };
    if (const int error = writeFile(read, size, path))
        return backupFailed(path, error);
    if (backupPath)
        *backupPath = path;
    return {};
}

db::Error copyFile(const QString& path, const QString& command, QString* backupPath)
{
    if (db::Error e = makeFolder(path))
        return e;
    const QString to = newPath(path, command, QFileInfo(path).suffix());
    if (const int error = copyPlainFile(path, to))
        return backupFailed(to, error);
    if (backupPath)
        *backupPath = to;
    return {};
}

QString prune(const QString& leaguePath, const KeepRule& keep, const QStringList& spared)
{
    return pruneCopies(leaguePath, LeagueExtension, keep, spared);
}

QString pruneCopies(const QString& path, const QString& extension, const KeepRule& rule,
                    const QStringList& spared)
{
    if (!rule.ignored.isNull())
        return QStringLiteral("The [Backups] Keep setting \"%1\" was ignored: it is not a whole "
                              "number of at least 1, so no backup was deleted.")
            .arg(rule.ignored);
    if (!rule.count)
        return {};
    QStringList keep;
    for (const QString& path : spared)
        keep << QFileInfo(path).absoluteFilePath();
    QList<Entry> all = entries(path, extension);
    all.removeIf([](const Entry& e) { return e.backup.command == DamagedLeague; });
    const QStringList needed = neededBackups();
    for (const QString& path : needed)
        keep << QFileInfo(path).absoluteFilePath();
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (i >= *rule.count && !keep.contains(all[i].backup.path))
            QFile::remove(all[i].backup.path);
    }
    return {};
}

namespace {
QStringList& needed()
{
    static QStringList paths;
    return paths;
}
} // namespace

void setNeededBackups(const QStringList& paths)
{
    needed() = paths;
}

QStringList neededBackups()
{
    return needed();
}

bool isDamagedLeague(const db::Error& e)
{
    switch (e.number) {
    case db::FileNotFound:
    case db::NotSQLite:
    case db::AccessFile:
    case db::MissingTable:
    case db::MissingField:
        return true;
    default:
        return e.number < db::NoLeagueFileChosen &&
               ((e.number & 0xff) == SQLITE_CORRUPT || (e.number & 0xff) == SQLITE_NOTADB ||
                e.number == SQLITE_IOERR_SHORT_READ);
    }
}

db::Error restore(const QString& leaguePath, const QString& backupPath, const QString& command,
                  const KeepRule& keep, std::optional<quint32> unchangedSince,
                  RestoreResult* result)
{
    if (db::sameFile(backupPath, leaguePath))
        return {db::IsLeagueFile,
                QStringLiteral("The backup \"%1\" is the league file itself (a link to it, not a "
                               "copy), so there is nothing to restore from it; the league was not "
                               "changed.")
                    .arg(fileName(backupPath))};
    db::Database source;
    if (db::Error e = openBackup(backupPath, source))
        return e;
    db::Database league;
    if (db::Error e = league.open(leaguePath)) {
        if (!isDamagedLeague(e))
            return e;
        // A sound SQLite file that lacks a table may be open in another
        // program: it is replaced under its lock, never behind its back.
        const bool sound = e.number == db::MissingTable || e.number == db::MissingField;
        if (sound && !league.openFile(leaguePath)) {
            e = restoreInto(league, source, command, keep, unchangedSince, result);
            if (!e && result)
                result->damaged = true; // its copy is no league either
            return e;
        }
        if (unchangedSince) // it is not what the command left
            return {db::LeagueChanged, QStringLiteral("The league has changed since.")};
        const std::optional<quint32> backupCounter = source.changeCounter();
        source.close();
        return replaceDamaged(leaguePath, backupPath, keep, backupCounter, result);
    }
    return restoreInto(league, source, command, keep, unchangedSince, result);
}

void simulateWriteFailure(int error)
{
    simulatedWriteError = error;
}

void simulateReadFailure(int error)
{
    simulatedReadError = error;
}

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
    // The change counter goes up by one with each commit that writes: the
    // league is still as this command left it while the counter says so.
    QString note;
    if (m_undo && m_wrote)
        note = m_undo({m_league, m_backup, m_command, m_counterBefore + 1u});
    const QString pruned = prune(m_league, m_keep, {m_backup});
    // Steps are dropped only under a Keep count, the prune speaks only
    // without one: at most one of them has something to say.
    return note.isEmpty() ? pruned : note;
}

} // namespace backups
