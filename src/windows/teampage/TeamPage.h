#pragma once

#include "core/db/Error.h"
#include "core/teams/TeamFigures.h"

#include <QList>
#include <QPointer>
#include <QVector>
#include <QWidget>
#include <array>
#include <optional>

class QChartView;
class QCheckBox;
class QComboBox;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QModelIndex;
class QSortFilterProxyModel;
class QTableView;
class QTableWidget;
class PlayerCard;
class TeamPlayersModel;
struct PlayerWindows;

// "Team Page - <team>": one team's players by position, each position's
// averages against the league's at that position (one pass over the league
// works out every team's), a chart of the two for one position, the count
// at each position. A double click shows a player on the card, whose
// Previous/Next then walk the page; Export writes the page as CSV. It reads
// the league again whenever the program changes it. There is only ever one.
class TeamPage : public QWidget
{
    Q_OBJECT
public:
    // Shows the page held in holder (made and loaded the first time) inside
    // area, for the league at path. nullptr when the league cannot be read
    // (the error was shown).
    static TeamPage* showPage(QPointer<QMdiSubWindow>& holder, QMdiArea* area, const QString& path,
                              PlayerWindows& players);

    // Reads the team list and the league's figures and shows the first team.
    db::Error readLeague();
    // Another league: the page shows it from its first team.
    void useLeague(const QString& path);
    // The program changed the league: figures and players are read again
    // when the file changed, keeping the team, sorts and choices.
    void leagueChanged();

    void showTeam(int index);
    void previousTeam();
    void nextTeam();
    void setPotential(bool potential);
    void exportCsv();
    // The players the card walks: every group's, as each is sorted now.
    QVector<qint64> listedKeys() const;
    void openCard(int group, const QModelIndex& index);
    void compareSelected(int group);

    int teamIndex() const;
    qint64 teamId() const;
    const teams::LeagueFigures& figures() const { return m_figures; }
    // The CSV text Export writes.
    QByteArray csv(bool codes) const;

signals:
    // The card now walks this page's list; its saves, which it reported to
    // the grid it followed, are for the history to take from now on (also
    // once this page is closed).
    void playerCardShown(PlayerCard* card);

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Group {
        QWidget* box = nullptr;
        QLabel* title = nullptr;
        QTableWidget* averages = nullptr;
        QTableView* view = nullptr;
        TeamPlayersModel* model = nullptr;
        QSortFilterProxyModel* proxy = nullptr;
    };

    TeamPage(const QString& path, PlayerWindows& players);
    QWidget* buildTopLine();
    QWidget* buildGroup(int group);
    db::Error readFigures();
    db::Error readTeams();
    db::Error readPlayers();
    void showGroups();
    void showAverages(int group);
    void alignColumns(Group& group);
    void showCounts();
    void drawChart();
    int sideShown(int column) const; // the side a rating column shows

    QString m_path;
    PlayerWindows& m_players;
    teams::LeagueFigures m_figures;
    std::optional<quint32> m_counter; // the league's change counter the figures are of
    bool m_potential = false;
    bool m_readWhenShown = false;

    QComboBox* m_teams = nullptr;
    QCheckBox* m_potentialBox = nullptr;
    QComboBox* m_chartGroup = nullptr;
    QChartView* m_chart = nullptr;
    QLabel* m_counts = nullptr;
    std::array<Group, teams::GroupCount> m_groups;
};
