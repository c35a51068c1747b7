#include "core/backups/BackupFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace backups {

using detail::Entry;

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
QString prune(const QString& leaguePath, const KeepRule& keep, const QStringList& spared)
{
    return pruneCopies(leaguePath, detail::LeagueExtension, keep, spared);
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
    QList<Entry> all = detail::entries(path, extension);
    all.removeIf([](const Entry& e) { return e.backup.command == DamagedLeague; });
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (i >= *rule.count && !keep.contains(all[i].backup.path))
            QFile::remove(all[i].backup.path);
    }
    return {};
}

} // namespace backups
