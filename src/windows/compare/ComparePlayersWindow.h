#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

class QChartView;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QTableWidget;

// "Compare Players": two to four players side by side, each column headed by
// "First Last": who they are, then the 24 ratings actual and potential with
// the best of each row in bold, and one chart of their ratings together.
// There is only ever one; players are added from the player grid, the Team
// Page or the card, or by name, and removed here. It reads the players again
// whenever the program changes the league, and says which are gone.
class ComparePlayersWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int MostPlayers = 4;

    // Shows the window held in holder inside area (made the first time) on
    // the league at path, with keys as its players (replace) or added to
    // them. nullptr when there was nothing to show (the reason was shown).
    static ComparePlayersWindow* compare(QPointer<QMdiSubWindow>& holder, QMdiArea* area,
                                         const QString& path, const QList<qint64>& keys,
                                         bool replace);

    QList<qint64> keys() const { return m_keys; }
    // Adds players, refusing any beyond the fourth; false when refused.
    bool addPlayers(const QList<qint64>& keys);
    void removePlayer(int column);
    // cmdAdd: asks for a player's name and adds him.
    void addByName();
    // cmdRemove: removes the player whose column holds the current cell.
    void removeCurrent();
    // The program changed the league (or chose another): read again.
    void refresh();
    void useLeague(const QString& path);

private:
    explicit ComparePlayersWindow(const QString& path, QWidget* parent = nullptr);
    void fillTable(const QList<QStringList>& cells, const QStringList& names);
    void markBest(int row);
    void drawChart(const QStringList& names);

    QString m_path;
    QList<qint64> m_keys;
    QTableWidget* m_table = nullptr;
    QChartView* m_chart = nullptr;
    QLabel* m_note = nullptr;
};
