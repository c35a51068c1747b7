#include "core/db/LeagueFiles.h"

#include "core/db/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <sys/stat.h>

namespace db {

namespace {
struct Identity {
    dev_t device;
    ino_t inode;
    bool operator==(const Identity&) const = default;
};

std::optional<Identity> identityOf(const QString& path)
{
    struct stat st {
    };
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return Identity{st.st_dev, st.st_ino};
}

// A file not made yet, as its folder's identity and its name.
struct Place {
    std::optional<Identity> folder;
    QString name;
    bool operator==(const Place& other) const
    {
        return folder && folder == other.folder && name == other.name;
    }
};

Place placeOf(const QString& path)
{
    const QFileInfo info(path);
    return {identityOf(info.absolutePath()), info.fileName()};
}

// A file as the one test of sameness sees it: its identity when it exists,
// else where it would be made.
struct Landing {
    std::optional<Identity> file;
    Place place;
    explicit Landing(const QString& path)
        : file(identityOf(landingPath(path))), place(placeOf(landingPath(path)))
    {
    }
    bool operator==(const Landing& other) const
    {
        return file || other.file ? file && file == other.file : place == other.place;
    }
};

bool reaches(const QString& target, const QString& league)
{
    const Landing landing(target);
    const std::optional<Identity>& file = landing.file;
    const Place& place = landing.place;

    // The league and the files SQLite keeps beside it, by the path the
    // window uses and by the path a link leads to.
    const QString absolute = QFileInfo(league).absoluteFilePath();
    const QString canonical = QFileInfo(league).canonicalFilePath();
    for (const QString& base : {absolute, canonical}) {
        if (base.isEmpty())
            continue;
        for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
            const QString companion = base + QLatin1String(suffix);
            if (landing == Landing(companion))
                return true;
        }
    }

    const QString backups = absolute + QStringLiteral(".backups");
    const std::optional<Identity> folder = identityOf(backups);
    if (!folder)
        return false;
    if (place.folder == folder)
        return true;
    if (!file)
        return false;
    const QFileInfoList inside =
        QDir(backups).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    return std::any_of(inside.begin(), inside.end(), [&](const QFileInfo& backup) {
        return file == identityOf(backup.absoluteFilePath());
    });
}
} // namespace

bool sameFile(const QString& a, const QString& b)
{
    return !a.isEmpty() && !b.isEmpty() && Landing(a) == Landing(b);
}

std::optional<QString> isLeagueFile(const QString& target, const QStringList& heldLeagues)
{
    for (const QString& league : heldLeagues) {
        if (!league.isEmpty() && reaches(target, league))
            return league;
    }
    return std::nullopt;
}

Error checkNotLeagueFile(const QString& target, const QStringList& heldLeagues)
{
    const std::optional<QString> league = isLeagueFile(target, heldLeagues);
    if (!league)
        return {};
    return {IsLeagueFile,
            QStringLiteral("\"%1\" is the league file \"%2\" (or its journal or one of its "
                           "backups), which a window has open. Nothing was written.")
                .arg(QDir::toNativeSeparators(target), QDir::toNativeSeparators(*league))};
}

} // namespace db
