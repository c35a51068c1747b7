#include "core/backups/BackupFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <optional>
#include <tuple>

namespace backups {

namespace detail {

namespace {

const QString DateFormat = QStringLiteral("yyyy-MM-dd");
const QString TimeFormat = QStringLiteral("HH-mm-ss");

QString stamp(const QDate& date, const QTime& time)
{
    return date.toString(DateFormat) + QLatin1Char(' ') + time.toString(TimeFormat);
}

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

} // namespace

QList<Entry> entries(const QString& leaguePath, const QString& extension)
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

QString newPath(const QString& leaguePath, const QString& command, const QString& extension)
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

} // namespace detail

using detail::Entry;

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
QList<Backup> list(const QString& leaguePath)
{
    QList<Backup> result;
    for (const Entry& e : detail::entries(leaguePath))
        result.append(e.backup);
    return result;
}

} // namespace backups
