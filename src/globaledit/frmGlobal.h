#pragma once

#include "db/Error.h"
#include "globaledit/engine/GlobalEditEngine.h"

#include <QElapsedTimer>
#include <QWidget>
#include <array>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLineEdit;
class QPushButton;

// "Yardmark 99 - Global Edit": collects a global rating edit (percentages,
// bounds, positions, team) and hands it to the engine. Lives in an MDI
// child window; Cancel only hides it, its close box unloads it.
class frmGlobal : public QWidget
{
    Q_OBJECT
public:
    explicit frmGlobal(QWidget* parent = nullptr);

    // Reads the team list. A league that cannot be read gives the error and
    // leaves the dialog empty; the caller then does not show it.
    db::Error Form_Load();

    void cboTeam_Click(int index);
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();
    // Index 0..14 sets PosIndex and PosName; anything else changes nothing.
    void SetPosition(int index);

    globaledit::TeamFilter teamFilter() const { return TeamFilter; }
    int posIndex() const { return PosIndex; }
    QString posName() const { return PosName; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
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
    QPushButton* addButton(const char* name, const QString& caption, void (frmGlobal::*handler)());

    db::Error LoadTeams();
    // The edit the boxes describe, or nullopt after telling the user which
    // box does not hold a number (focus there, its text selected).
    std::optional<globaledit::GlobalEdit> collectEdit();
    bool readNumber(QLineEdit* box, double& target);
    db::Error ApplyGlobalEdit(const globaledit::GlobalEdit& edit);
    void positionStarted(int position, qint64 players);
    void playerDone();

    QComboBox* cboTeam = nullptr;
    std::array<QCheckBox*, db::schema::PositionCount> chkPosition{};
    QLineEdit* txtActMax = nullptr;
    QLineEdit* txtActMin = nullptr;
    QLineEdit* txtPotMax = nullptr;
    QLineEdit* txtPotMin = nullptr;
    std::vector<RatingBoxes> m_ratings;

    int PosIndex = 0;
    QString PosName;
    // All teams until the user picks another item: the list shows "All".
    globaledit::TeamFilter TeamFilter;

    bool m_running = false;
    float m_step = 0;             // bar advance per player of the current position
    QElapsedTimer m_repaintClock; // keeps the progress window painted in long positions
};
