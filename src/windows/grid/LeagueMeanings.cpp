#include "windows/grid/LeagueMeanings.h"

#include <QFile>
#include <sys/stat.h>

LeagueMeanings::LeagueMeanings(const QString& path) : m_path(path) {}

QByteArray LeagueMeanings::fileStamp() const
{
    // stat, not open: closing a descriptor on the league would drop this
    // process's locks on it.
    struct stat st {
    };
    if (::stat(QFile::encodeName(m_path).constData(), &st) != 0)
        return QByteArrayLiteral("gone");
    return QByteArray::number(qulonglong(st.st_dev)) + ':' +
           QByteArray::number(qulonglong(st.st_ino)) + ':' +
           QByteArray::number(qlonglong(st.st_size)) + ':' +
           QByteArray::number(qlonglong(st.st_mtim.tv_sec)) + '.' +
           QByteArray::number(qlonglong(st.st_mtim.tv_nsec));
}

void LeagueMeanings::readTeams(db::Database& database)
{
    m_stamp = fileStamp();
    // A table of another shape shows its codes as stored: nothing to report.
    m_lookup.readTeamsAndConferences(database);
}

void LeagueMeanings::update(db::Database& database)
{
    if (!m_stamp.isEmpty() && m_stamp == fileStamp())
        return;
    reread(database);
}

void LeagueMeanings::reread(db::Database& database)
{
    readTeams(database);
    m_lookup.forgetPlayers();
    emit changed();
}

void LeagueMeanings::tableWritten(db::Database& database, const QString& table)
{
    if (table.compare(QLatin1String("PlayerTable"), Qt::CaseInsensitive) == 0)
        m_lookup.forgetPlayers();
    if (table.compare(QLatin1String("Team"), Qt::CaseInsensitive) == 0 ||
        table.compare(QLatin1String("Conference"), Qt::CaseInsensitive) == 0 || m_stamp.isEmpty())
        readTeams(database);
    else
        m_stamp = fileStamp(); // the write is known: no need to read again
    emit changed();
}
