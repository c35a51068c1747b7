#pragma once

#include <QObject>
#include <QString>

class QLabel;
class QMdiArea;
class QStatusBar;

// The main window's status bar: the current grid window's rows, filter and
// sort, the last command's result, and the league file.
class StatusPanels : public QObject
{
    Q_OBJECT
public:
    // Fills bar, following area's current window.
    StatusPanels(QStatusBar* bar, QMdiArea* area);
    // Stops following the area, whose windows are about to go.
    void detach();

    // A command's outcome; it stays until the next menu command starts.
    void showCommandResult(const QString& text);
    void showLeague(const QString& path);
    QString commandResultText() const;
    QString gridStatusText() const;
    QString leagueStatusText() const;

protected:
    // The bar's new width refits the result.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followCurrentSubWindow();
    void showGridStatus();
    // Wraps the result when it is too long for its share of the bar.
    void fitCommandResult();

    QMdiArea* m_area;
    QLabel* m_gridStatus = nullptr;
    QLabel* m_commandResult = nullptr;
    QLabel* m_league = nullptr;
    QMetaObject::Connection m_gridStatusConnection;
};
