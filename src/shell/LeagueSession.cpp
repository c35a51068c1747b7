#include "shell/LeagueSession.h"

#include "shell/LeagueHistory.h"
#include "ui/Settings.h"

#include <QPointer>

namespace {
const QString Section = QStringLiteral("Settings");
const QString LeagueKey = QStringLiteral("mdb");
const QString ConverterKey = QStringLiteral("Convert");
} // namespace

LeagueSession::LeagueSession(QObject* parent) : QObject(parent), m_history(new LeagueHistory(this))
{
}

void LeagueSession::restore()
{
    m_converterPath = readSetting(Section, ConverterKey);
    setLeaguePath(readSetting(Section, LeagueKey));
}

void LeagueSession::setLeaguePath(const QString& path)
{
    m_leaguePath = path;
    m_history->setLeague(path); // another league starts an empty history
    emit leagueChanged(path);
}

void LeagueSession::storeLeaguePath(const QString& path)
{
    setLeaguePath(path);
    writeSetting(Section, LeagueKey, path);
}

void LeagueSession::storeConverterPath(const QString& path)
{
    m_converterPath = path;
    writeSetting(Section, ConverterKey, path);
}

std::function<QString(const backups::UndoPoint&)> LeagueSession::undoReceiver() const
{
    return [history = QPointer<LeagueHistory>(m_history)](const backups::UndoPoint& point) {
        QString note;
        if (history)
            history->record(new BackupStep(point), &note); // dropped when of another league
        return note;
    };
}
