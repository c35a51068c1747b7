#include "shell/LeagueSession.h"

#include "shell/LeagueHistory.h"
#include "ui/Settings.h"

#include <QPointer>

LeagueSession::LeagueSession(QObject* parent) : QObject(parent), m_history(new LeagueHistory(this))
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
    return [history = QPointer<LeagueHistory>(m_history)](const backups::UndoPoint& point) {
        QString note;
        if (history)
            history->record(new BackupStep(point), &note); // dropped when of another league
        return note;
    };
}
