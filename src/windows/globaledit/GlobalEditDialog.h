#pragma once

#include "core/db/Error.h"
#include "core/globaledit/GlobalEditEngine.h"
#include "core/globaledit/GlobalEditPreview.h"

#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMdiSubWindow;
class QPushButton;
class ProgressWindow;

// "Yardmark 99 - Global Edit": collects a global rating edit (percentages,
// bounds, positions, team) and hands it to the engine. Lives in an MDI
// child window; Cancel only hides it, its close box unloads it.
namespace backups {
struct UndoPoint;
}

class GlobalEditDialog : public QWidget
{
    Q_OBJECT
public:
    // leaguePath: the league whose teams the list shows and whose players OK
    // changes.
    explicit GlobalEditDialog(const QString& leaguePath, QWidget* parent = nullptr);
    ~GlobalEditDialog() override;

    // Reads the team list. A league that cannot be read gives the error and
    // leaves the dialog empty; the caller then does not show it.
    db::Error readTeams();
    // Another league is open: from now on the list shows its teams and OK
    // changes its players. The same league keeps every entry as it is.
    db::Error useLeague(const QString& leaguePath);
    QString leaguePath() const { return m_leaguePath; }
    // Where each OK's undo point goes: the program's undo history.
    void setUndoReceiver(std::function<QString(const backups::UndoPoint&)> receiver)
    {
        m_undoReceiver = std::move(receiver);
    }
    // Where the single preview window is held: it outlives this dialog, so
    // a dialog loaded again brings back the same one.
    void setPreviewHolder(QPointer<QMdiSubWindow>& holder) { m_previewHolder = &holder; }
    // "Please Wait....", loaded while an OK works, else nullptr.
    ProgressWindow* progressWindow() const;

    void teamChosen(int index);
    // Starts the edit on a worker; the dialog reports when it has finished.
    void confirm();
    bool isRunning() const { return m_running; }
    void cancel();
    void showHelp();
    // Shows what OK would do, checking the boxes as OK does; writes nothing.
    void preview();
    // Index 0..14 sets m_positionName; anything else changes nothing.
    void choosePosition(int index);
    // "Set all…": asks for one percentage and puts it into every actual
    // (or potential) box; Cancel or a text that is no number changes none.
    void setAllPercentages(globaledit::RatingSide side);

    globaledit::TeamFilter teamFilter() const { return m_teamFilter; }
    QString posName() const { return m_positionName; }
    // The whole dialog, unscrolled.
    QSize sizeHint() const override;

signals:
    // OK changed the league: what it changed, for the main window's status.
    void edited(const QString& result);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Item data of a team read from the Team table: its name there. "All"
    // and "College Draft/FA" have none.
    static constexpr int TeamNameRole = Qt::UserRole + 1;

    struct RatingBoxes {
        int rating; // 1..24
        QLineEdit* actual;
        QLineEdit* potential;
    };

    void buildTeamLine(QGridLayout* layout);
    QGroupBox* buildBoundFrame(const char* frameName, const char* caption, int firstLabel,
                               QLineEdit** maxBox, const char* maxName, QLineEdit** minBox,
                               const char* minName);
    QGroupBox* buildPositionFrame();
    QGroupBox* buildRatingFrame();
    void addRowLabels(QGridLayout* grid, int row);
    void addSetAllButtons(QGridLayout* grid, int row, int columns);
    QPushButton* addButton(const char* name, const QString& caption,
                           void (GlobalEditDialog::*handler)());

    db::Error readTeamsOf(const QString& leaguePath);
    // Makes the item the box's text names the chosen team, or tells the user
    // why the text names none (focus in the box) and returns false.
    bool chooseShownTeam();
    // The edit the boxes describe, or nullopt after telling the user which
    // box does not hold a number (focus there, its text selected).
    std::optional<globaledit::GlobalEdit> collectEdit();
    // The team the box shows and the boxes' edit, as OK and Preview take them.
    std::optional<globaledit::GlobalEdit> editToRun();
    bool readNumber(QLineEdit* box, double& target);
    void startEdit(const globaledit::GlobalEdit& edit);
    void finishEdit();
    QString resultText(const globaledit::GlobalEdit& edit,
                       const globaledit::ChangedPlayers& changed) const;
    // The same edit, on the same league, which nothing has changed since it
    // was applied (an Undo, a grid's edit or another program would have).
    bool repeatsLastEdit(const globaledit::GlobalEdit& edit) const;
    // The line under the boxes that says what OK applied.
    void showApplied(const globaledit::GlobalEdit& edit, const globaledit::ChangedPlayers& changed);
    void positionStarted(int position, qint64 players);
    void playersDone(int position, qint64 done);

    QWidget* m_page = nullptr; // every control, inside the scroll area
    QComboBox* m_teams = nullptr;
    std::array<QCheckBox*, db::schema::PositionCount> m_positions{};
    QLineEdit* m_actualMax = nullptr;
    QLineEdit* m_actualMin = nullptr;
    QLineEdit* m_potentialMax = nullptr;
    QLineEdit* m_potentialMin = nullptr;
    std::vector<RatingBoxes> m_ratings;
    QLabel* m_applied = nullptr;

    QString m_leaguePath; // the league the team list was read from
    std::function<QString(const backups::UndoPoint&)> m_undoReceiver;
    QPointer<QMdiSubWindow>* m_previewHolder = nullptr; // the main window's
    QPointer<ProgressWindow> m_progress;
    bool m_teamsRead = false; // false when the current league's list could not be read
    QString m_positionName;
    // All teams until the user picks another item: the list shows "All".
    globaledit::TeamFilter m_teamFilter;

    // The last edit OK applied, and the league's change counter right after.
    struct AppliedEdit {
        globaledit::GlobalEdit edit;
        QString league;
        std::optional<quint32> counter;
    };
    std::optional<AppliedEdit> m_lastApplied;
    bool m_lastUndoable = false; // its undo point reached the history

    bool m_running = false;
    struct RunningEdit;
    struct EndRun { // defined beside RunningEdit, in the file that runs it
        void operator()(RunningEdit* run) const;
    };
    std::unique_ptr<RunningEdit, EndRun> m_run; // the edit a worker runs, while it runs
    QString m_backupNote;                       // what the last edit's backup adds to its result
    int m_barPosition = -1;                     // the position the progress bar shows
    qint64 m_barDone = 0;                       // its players the bar has counted
    float m_step = 0;                           // bar advance per player of that position
};
