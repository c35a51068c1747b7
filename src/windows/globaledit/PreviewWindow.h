#pragma once

#include "core/db/Error.h"
#include "core/globaledit/GlobalEditPreview.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>

class QChartView;
class QComboBox;
class QLabel;
class QLayout;
class QMdiArea;
class QMdiSubWindow;
class QPushButton;
class QProgressBar;
class QTableView;
class QTableWidget;
class QTimer;
class ChangedPlayersModel;

namespace globaledit {
class PreviewJob;
} // namespace globaledit

// "Global Edit Preview": what the global edit dialog's OK would do, worked
// out on a worker thread without writing: per position the players selected
// and changed, per rating the means, the values at a bound and the
// potentials raised, a chart of one rating before and after, and beside
// them the players that would change (sortable) and why the others would not. Single
// instance in an MDI child window; Preview again works it out afresh. Close,
// Esc and Ctrl+F4 close it, and the window that opened it comes back.
class PreviewWindow : public QWidget
{
    Q_OBJECT
public:
    // Shows the preview window held in window inside area (loading it into
    // window the first time) and starts working out edit on the league at
    // path. When it closes, opener (if still shown) becomes the active
    // window again.
    static PreviewWindow* showPreview(QPointer<QMdiSubWindow>& window, QMdiArea* area,
                                      const QString& path, const globaledit::GlobalEdit& edit,
                                      QMdiSubWindow* opener = nullptr);

    ~PreviewWindow() override;

    bool isComputing() const { return m_job != nullptr; }
    // The edit and the figures the window shows (once computed).
    const globaledit::GlobalEdit& edit() const { return m_edit; }
    const globaledit::PreviewResult& result() const { return m_shown; }
    // The list of players that would change, as shown.
    const ChangedPlayersModel* changedPlayers() const { return m_players; }

signals:
    void computed(); // the figures are shown
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    explicit PreviewWindow(QWidget* parent = nullptr);
    QLayout* buildChart();
    QLayout* buildPlayerList();
    void buildProgressAndClose();
    void start(const QString& path, const globaledit::GlobalEdit& edit);
    void stopWorker();
    void showProgress();
    void workerFinished();
    void fillPositions();
    void fillRatings();
    void drawChart();
    // The list of players that would change, and why the others would not.
    void fillPlayers();

    QTableWidget* m_positionsTable = nullptr;
    QTableWidget* m_ratingsTable = nullptr;
    QComboBox* m_ratingChoice = nullptr;
    QComboBox* m_sideChoice = nullptr;
    QChartView* m_chart = nullptr;
    QTableView* m_playersView = nullptr;
    ChangedPlayersModel* m_players = nullptr;
    QLabel* m_unchanged = nullptr;
    QLabel* m_noPlayers = nullptr;
    QPushButton* m_closeButton = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QTimer* m_progressClock = nullptr;
    QElapsedTimer m_started;

    QString m_path;
    globaledit::GlobalEdit m_edit;
    globaledit::PreviewResult m_shown;
    globaledit::PreviewJob* m_job = nullptr; // while it works the figures out
    int m_permille = 0;                      // its last report
    QPointer<QMdiSubWindow> m_returnTo;      // the window it was opened from
};
