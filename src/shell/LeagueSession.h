#pragma once

#include <QObject>
#include <QString>
#include <functional>

class LeagueHistory;
namespace backups {
struct UndoPoint;
}

// The league the program works on: its path, the league converter File >
// Convert starts, and the undo history of that league. Nothing else holds
// them; windows get the path when they are made, and follow leagueChanged.
class LeagueSession : public QObject
{
    Q_OBJECT
public:
    explicit LeagueSession(QObject* parent = nullptr);

    // Both paths as the settings store holds them ([Settings] mdb, Convert).
    void restore();

    // Empty until a league was chosen.
    QString leaguePath() const { return m_leaguePath; }
    // Makes path the league from now on, without checking or storing it.
    void setLeaguePath(const QString& path);
    // The same, and stores it for the next start.
    void storeLeaguePath(const QString& path);

    // Empty until chosen.
    QString converterPath() const { return m_converterPath; }
    void setConverterPath(const QString& path) { m_converterPath = path; }
    void storeConverterPath(const QString& path);

    // Every change the program writes to the league is one step of it.
    LeagueHistory* history() const { return m_history; }
    // Where a command that replaces the league as a whole hands its undo
    // point: it becomes a step of the history (LeagueHistory::undoReceiver).
    std::function<QString(const backups::UndoPoint&)> undoReceiver() const;

signals:
    // The league path was set (also to the same file, or to none).
    void leagueChanged(const QString& path);

private:
    QString m_leaguePath;
    QString m_converterPath;
    LeagueHistory* m_history;
};
