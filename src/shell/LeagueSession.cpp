#include "shell/LeagueSession.h"

#include "core/backups/Backups.h"
#include "history/LeagueHistory.h"
#include "ui/Settings.h"

LeagueSession::LeagueSession(QObject* parent)
    : QObject(parent),
      m_history(new LeagueHistory(
          [] { return backups::keepRule(readSetting(settings::BackupsKeep)); }, this))
{
}

void LeagueSession::restore()
{
    m_converterPath = readSetting(settings::Converter);
    setLeaguePath(readSetting(settings::League));
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
    writeSetting(settings::League, path);
}

void LeagueSession::storeConverterPath(const QString& path)
{
    m_converterPath = path;
    writeSetting(settings::Converter, path);
}

std::function<QString(const backups::UndoPoint&)> LeagueSession::undoReceiver() const
{
    return m_history->undoReceiver();
}
