#include "windows/globaledit/GlobalEditDialog.h"

#include "core/db/Database.h"
#include "core/globaledit/TeamList.h"
#include "ui/HelpViewer.h"
#include "ui/Prompts.h"
#include "windows/globaledit/PreviewWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollArea>
#include <iterator>

namespace {

// The "Ratings %" frame, three rows of eight columns, left to right, for the
// ratings of db::schema::EditOrder. The names and tooltips are the dialog's
// own, odd spellings included.
struct RatingColumn {
    const char* label;
    const char* actualBox;
    const char* actualTip;
    const char* potentialBox;
    const char* potentialTip;
};

constexpr int RatingColumnsPerRow = 8;
constexpr RatingColumn RatingColumns[] = {
    {"lblSP", "txtSP", "Actual Speed", "txtP_SP", "Potential Speed"},
    {"lblAG", "txtAG", "Actual Agility", "txtP_AG", "Potential Agility"},
    {"lblVT", "txtVT", "Actual Vertical Jump", "txtP_VT", "Potentila Vertical Jump"},
    {"lblFA", "txtFA", "Actual Fatigue", "txtP_FA", "Potential Fatigue"},
    {"lblDU", "txtDU", "Actual Durability", "txtP_DU", "Potential Durability"},
    {"lblDI", "txtDI", "Actual Disipline", "txtP_DI", "Potential Disipline"},
    {"lblRE", "txtRE", "Actual Reading", "txtP_RE", "Potential Reading"},
    {"lblPM", "txtPM", "Actual Playmaking", "txtP_PM", "Potential Playmaking"},
    {"lblAS", "txtAS", "Actual Arm Strength", "txtP_AS", "Potential Arm Strength"},
    {"lblTA", "txtTA", "Actual Throw Accuracy", "txtP_TA", "Potential Throw Accuracy"},
    {"lblSC", "txtSC", "Actual Scrambling", "txtP_SC", "Potential Scrambling"},
    {"lblAW", "txtAW", "Actual Awareness", "txtP_AW", "Potential Awareness"},
    {"lblBC", "txtBC", "Actual Ball Carrying", "txtP_BC", "Potential Ball Carrying"},
    {"lblBT", "txtBT", "Actual Break Tackle", "txtP_BT", "Potential Break Tackle"},
    {"lblBI", "txtVI", "Actual Vision", "txtp_VI", "Potential Vision"},
    {"lblCA", "txtCA", "Actual Catching", "txtP_CA", "Potential Catching"},
    {"lblPB", "txtPB", "Actual Pass Blocking", "txtP_PB", "potential Pass Blocking"},
    {"lblRB", "txtRB", "Actual Run Blocking", "txtP_RB", "Potential Run blocking"},
    {"lblPR", "txtPR", "Actual Pass Rushing", "txtP_PR", "Potential Pas Rushing"},
    {"lblPD", "txtPD", "Actual Pass Defense", "txtP_PD", "Potential Pass Defense"},
    {"lblTK", "txtTK", "Actual Tackling", "txtP_TK", "Potential Tackling"},
    {"lblRD", "txtRD", "Actual Run Defense", "txtP_RD", "Potential Run Defense"},
    {"lblKA", "txtKA", "Actual Kick Accuracy", "txtP_KA", "Potential Kick Accuracy"},
    {"lblKD", "txtKD", "Actual Kick Distance", "txtP_KD", "Potential Kick Distance"},
};
static_assert(std::size(RatingColumns) == globaledit::EditedRatingCount);
static_assert(std::size(RatingColumns) == db::schema::EditOrder.size());

constexpr int PositionsPerRow = 5;

// Access keys for the position boxes, a letter of each caption that no other
// control of the dialog uses (none left for C, DT and CB: OK, Cancel, Help
// and the other boxes hold every letter of theirs).
// LB gives its L to the potential "Set all…" button.
constexpr const char* PositionCaptions[] = {"&QB", "H&B", "&FB", "&WR", "T&E", "C",  "&G", "&T",
                                            "&K",  "&P",  "&DE", "DT",  "LB",  "CB", "&S"};
static_assert(std::size(PositionCaptions) == db::schema::PositionCount);

// The items whose text is text, ignoring letter case.
QList<int> itemsNamed(const QComboBox* box, const QString& text)
{
    QList<int> named;
    for (int i = 0; i < box->count(); ++i) {
        if (box->itemText(i).compare(text, Qt::CaseInsensitive) == 0)
            named.append(i);
    }
    return named;
}

QString name(const char* text)
{
    return QString::fromLatin1(text);
}

QLabel* addLabel(QWidget* parent, const char* objectName, const QString& caption)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name(objectName));
    label->setAccessibleName(caption);
    return label;
}

QLineEdit* addBox(QWidget* parent, const char* objectName, const QString& text,
                  const QString& accessibleName)
{
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(name(objectName));
    box->setAccessibleName(accessibleName);
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 8);
    return box;
}

QGroupBox* addFrame(QWidget* parent, const char* objectName, const QString& caption)
{
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(name(objectName));
    frame->setAccessibleName(caption);
    return frame;
}

} // namespace

GlobalEditDialog::GlobalEditDialog(const QString& leaguePath, QWidget* parent)
    : QWidget(parent), m_leaguePath(leaguePath)
{
    setObjectName(QStringLiteral("frmGlobal"));
    setWindowTitle(QStringLiteral("Yardmark 99 - Global Edit"));

    // Frames down the left, the command buttons stacked top right, on a page
    // that scrolls when the main window has less room than the dialog needs.
    m_page = new QWidget;
    m_page->setObjectName(QStringLiteral("frmGlobalPage"));
    auto* layout = new QGridLayout(m_page);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    buildTeamLine(layout);
    auto* bounds = new QHBoxLayout;
    bounds->addWidget(buildBoundFrame("Frame3", "Actual", 1, &m_actualMax, "txtActMax",
                                      &m_actualMin, "txtActMin"));
    bounds->addWidget(buildBoundFrame("Frame4", "Potential", 3, &m_potentialMax, "txtPotMax",
                                      &m_potentialMin, "txtPotMin"));
    bounds->addStretch();
    layout->addLayout(bounds, 1, 0);
    layout->addWidget(buildPositionFrame(), 2, 0);
    layout->addWidget(buildRatingFrame(), 3, 0);
    m_applied = addLabel(this, "lblApplied", {});
    m_applied->setAccessibleName(QStringLiteral("Last applied edit"));
    m_applied->setWordWrap(true);
    layout->addWidget(m_applied, 4, 0);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(addButton("cmdOK", QStringLiteral("&OK"), &GlobalEditDialog::confirm));
    buttons->addWidget(
        addButton("cmdCancel", QStringLiteral("&Cancel"), &GlobalEditDialog::cancel));
    buttons->addWidget(addButton("cmdHelp", QStringLiteral("&Help"), &GlobalEditDialog::showHelp));
    buttons->addWidget(
        addButton("cmdPreview", QStringLiteral("Pre&view"), &GlobalEditDialog::preview));
    buttons->addStretch();
    layout->addLayout(buttons, 0, 1, 5, 1);

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("frmGlobalScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(m_page);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);

    setFocusProxy(m_ratings.front().actual); // focus starts in txtSP
}

QSize GlobalEditDialog::sizeHint() const
{
    return m_page->sizeHint();
}

void GlobalEditDialog::buildTeamLine(QGridLayout* layout)
{
    auto* line = new QHBoxLayout;
    QLabel* label = addLabel(this, "Label5", QStringLiteral("Tea&ms:"));
    label->setAccessibleName(QStringLiteral("Teams:"));
    m_teams = new QComboBox(this);
    m_teams->setObjectName(QStringLiteral("cboTeam"));
    m_teams->setAccessibleName(QStringLiteral("Teams"));
    m_teams->setEditable(true);
    m_teams->setInsertPolicy(QComboBox::NoInsert);
    m_teams->setMinimumContentsLength(24);
    label->setBuddy(m_teams);
    // Only choosing an item changes the team; typing into the box does not.
    connect(m_teams, &QComboBox::activated, this, &GlobalEditDialog::teamChosen);
    line->addWidget(label);
    line->addWidget(m_teams);
    line->addStretch();
    layout->addLayout(line, 0, 0);
}

QGroupBox* GlobalEditDialog::buildBoundFrame(const char* frameName, const char* caption,
                                             int firstLabel, QLineEdit** maxBox,
                                             const char* maxName, QLineEdit** minBox,
                                             const char* minName)
{
    const QString title = name(caption);
    QGroupBox* frame = addFrame(this, frameName, title);
    auto* grid = new QGridLayout(frame);
    const QByteArray maxLabel = "Label" + QByteArray::number(firstLabel);
    const QByteArray minLabel = "Label" + QByteArray::number(firstLabel + 1);
    *maxBox = addBox(frame, maxName, QStringLiteral("99"), title + QStringLiteral(" Max"));
    *minBox = addBox(frame, minName, QStringLiteral("0"), title + QStringLiteral(" Min"));
    QLabel* max = addLabel(frame, maxLabel.constData(), QStringLiteral("Max:"));
    QLabel* min = addLabel(frame, minLabel.constData(), QStringLiteral("Min:"));
    max->setBuddy(*maxBox);
    min->setBuddy(*minBox);
    grid->addWidget(max, 0, 0);
    grid->addWidget(*maxBox, 0, 1);
    grid->addWidget(min, 0, 2);
    grid->addWidget(*minBox, 0, 3);
    return frame;
}

QGroupBox* GlobalEditDialog::buildPositionFrame()
{
    QGroupBox* frame = addFrame(this, "frame2", QStringLiteral("Position"));
    auto* grid = new QGridLayout(frame);
    const QStringList& positions = db::schema::positions();
    for (int i = 0; i < db::schema::PositionCount; ++i) {
        auto* box = new QCheckBox(QString::fromLatin1(PositionCaptions[i]), frame);
        box->setObjectName(QStringLiteral("chkPosition_%1").arg(i));
        box->setAccessibleName(positions.at(i));
        grid->addWidget(box, i / PositionsPerRow, i % PositionsPerRow);
        m_positions[size_t(i)] = box;
    }
    return frame;
}

QGroupBox* GlobalEditDialog::buildRatingFrame()
{
    QGroupBox* frame = addFrame(this, "Frame1", QStringLiteral("Ratings %"));
    auto* grid = new QGridLayout(frame);
    int column = 0;
    for (const RatingColumn& c : RatingColumns) {
        const int row = 3 * (column / RatingColumnsPerRow);
        const int x = 1 + column % RatingColumnsPerRow; // after the rows' labels
        if (x == 1)
            addRowLabels(grid, row);
        const int rating = db::schema::EditOrder[size_t(column)];
        const QString caption = db::schema::rating(rating).shortName + QLatin1Char(':');
        QLabel* label = addLabel(frame, c.label, caption);
        QLineEdit* actual = addBox(frame, c.actualBox, QStringLiteral("0"), name(c.actualTip));
        QLineEdit* potential =
            addBox(frame, c.potentialBox, QStringLiteral("0"), name(c.potentialTip));
        actual->setToolTip(name(c.actualTip));
        potential->setToolTip(name(c.potentialTip));
        label->setBuddy(actual);
        grid->addWidget(label, row, x);
        grid->addWidget(actual, row + 1, x);
        grid->addWidget(potential, row + 2, x);
        m_ratings.push_back({rating, actual, potential});
        ++column;
    }
    addSetAllButtons(grid, 3 * (column / RatingColumnsPerRow), RatingColumnsPerRow + 1);
    return frame;
}

QPushButton* GlobalEditDialog::addButton(const char* objectName, const QString& caption,
                                         void (GlobalEditDialog::*handler)())
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name(objectName));
    button->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    connect(button, &QPushButton::clicked, this, handler);
    return button;
}

// ---- loading ------------------------------------------------------------

db::Error GlobalEditDialog::readTeams()
{
    return readTeamsOf(m_leaguePath);
}

db::Error GlobalEditDialog::useLeague(const QString& leaguePath)
{
    if (leaguePath == m_leaguePath && m_teamsRead)
        return {};
    return readTeamsOf(leaguePath);
}

db::Error GlobalEditDialog::readTeamsOf(const QString& leaguePath)
{
    m_leaguePath = leaguePath;
    QList<globaledit::Team> teams;
    const db::Error e = globaledit::readTeamList(leaguePath, teams);
    m_teamsRead = !e;
    if (e)
        return e;

    const bool first = m_teams->count() == 0;
    const QString shown = m_teams->currentText();
    m_teams->clear();
    m_teams->addItem(QStringLiteral("All"), QVariant()); // not a number: all teams
    for (const globaledit::Team& team : teams) {
        m_teams->addItem(team.name, team.id);
        m_teams->setItemData(m_teams->count() - 1, team.name, TeamNameRole);
    }
    m_teams->addItem(QStringLiteral("College Draft/FA"), qint64(0));
    if (first) {
        m_teams->setCurrentIndex(0);
        m_teamFilter = std::nullopt;
        return {};
    }
    // A list read again keeps the text the box showed; OK decides what it names.
    const QList<int> named = itemsNamed(m_teams, shown);
    m_teams->setCurrentIndex(named.size() == 1 ? named.front() : -1);
    m_teams->setEditText(shown);
    return {};
}

// ---- handlers -----------------------------------------------------------

void GlobalEditDialog::teamChosen(int index)
{
    const QVariant id = m_teams->itemData(index);
    m_teamFilter = id.isValid() ? globaledit::TeamFilter(id.toLongLong()) : std::nullopt;
}

bool GlobalEditDialog::chooseShownTeam()
{
    const QString text = m_teams->currentText();
    int index = m_teams->currentIndex();
    if (index < 0 || m_teams->itemText(index).compare(text, Qt::CaseInsensitive) != 0) {
        const QList<int> named = itemsNamed(m_teams, text);
        if (named.size() != 1) {
            Prompts::refuse(this, named.isEmpty()
                                      ? QStringLiteral("No team in the list is named \"%1\". "
                                                       "Choose a team from the list.")
                                            .arg(text)
                                      : QStringLiteral("More than one team is named \"%1\". "
                                                       "Choose the team from the list.")
                                            .arg(text));
            m_teams->setFocus();
            m_teams->lineEdit()->selectAll();
            return false;
        }
        index = named.front();
        m_teams->setCurrentIndex(index);
    }
    teamChosen(index);
    return true;
}

void GlobalEditDialog::cancel()
{
    // Hidden, not unloaded: the entries wait for the next Global Edit.
    if (QWidget* frame = parentWidget())
        frame->hide();
    else
        hide();
}

void GlobalEditDialog::showHelp()
{
    showHelpTopic(this, helpTopic::GlobalEdit);
}

void GlobalEditDialog::choosePosition(int index)
{
    if (index < 0 || index >= db::schema::PositionCount)
        return;
    m_positionName = db::schema::positions().at(index);
}

void GlobalEditDialog::keyPressEvent(QKeyEvent* event)
{
    // Esc does what Cancel does; an open team list takes its own Esc first.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && !m_running) {
        cancel();
        return;
    }
    QWidget::keyPressEvent(event);
}

void GlobalEditDialog::closeEvent(QCloseEvent* event)
{
    // The edit in progress still needs this dialog.
    if (m_running)
        event->ignore();
    else
        QWidget::closeEvent(event);
}

void GlobalEditDialog::preview()
{
    auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (m_running || !frame || !frame->mdiArea() || !m_previewHolder)
        return;
    if (const std::optional<globaledit::GlobalEdit> edit = editToRun())
        PreviewWindow::showPreview(*m_previewHolder, frame->mdiArea(), m_leaguePath, *edit, frame);
}
