#include "windows/players/PlayerColumnsDialog.h"

#include "ui/HelpViewer.h"
#include "ui/Settings.h"
#include "windows/players/PlayerColumns.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <iterator>
#include <utility>

namespace {
// The 22 boxes in layout order: the left column top to bottom, then the
// right one. The first has no key; box i (i >= 1) governs key i - 1.
struct BoxSpec {
    const char* name;
    const char* caption;
};
constexpr BoxSpec boxes[] = {
    {"chkLeagueName", "League Name"},
    {"chkFirstName", "First Name"},
    {"chkLastName", "Last Name"},
    {"chkPlayerID", "Player ID"},
    {"chkAquireHow", "Aquire How"},
    {"chkAquireWhen", "Aquire When"},
    {"chkCurrentPosition", "Current Position"},
    {"chkHeight", "Height"},
    {"chkWeight", "Weight"},
    {"chkRightHanded", "Right Handed"},
    {"chkFreeAgent", "Free Agent"},
    {"chkInjurySeverity", "Injury Severity"},
    {"chkInjuryPoints", "Injury Points"},
    {"chkInjuryType", "Injury Type"},
    {"chkInjuryLocation", "Injury Location"},
    {"chkInjuryWeeksOnList", "Injury Weeks On List"},
    {"chkJerseyNum", "Jersey Num"},
    {"chkNaturalPos", "Natural Pos"},
    {"chkRetirementPts", "Retirement Pts"},
    {"chkTeamID", "Team ID"},
    {"chkActualRatings", "Actual Ratings"},
    {"chkPotRatings", "Potential Ratings"},
};
constexpr int BoxesPerColumn = 11;
static_assert(std::size(boxes) == 2 * BoxesPerColumn);

} // namespace

PlayerColumnsDialog::PlayerColumnsDialog(QWidget* parent, std::function<void()> apply)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_apply(std::move(apply))
{
    setObjectName(QStringLiteral("frmPlayerSettings"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("PlayerTable Settings"));
    setAccessibleName(windowTitle());
    buildControls();
    placeControls();
    buildTabOrder();
}

void PlayerColumnsDialog::showModal(QPointer<PlayerColumnsDialog>& shown, QWidget* parent,
                                    std::function<void()> apply)
{
    if (shown)
        return; // already up: a modal dialog cannot be asked for twice
    shown = new PlayerColumnsDialog(parent, std::move(apply));
    shown->checkSavedColumns();
    if (const QScreen* screen = shown->screen())
        shown->move(screen->availableGeometry().center() - shown->rect().center());
    shown->exec();
}

QPushButton* PlayerColumnsDialog::addButton(const QString& name, const QString& caption,
                                            void (PlayerColumnsDialog::*handler)())
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    // Neither Enter nor Escape may press a button here: no button becomes
    // the default, not even the focused one.
    button->setAutoDefault(false);
    button->setDefault(false);
    connect(button, &QPushButton::clicked, this, handler);
    return button;
}

void PlayerColumnsDialog::buildControls()
{
    m_frame = new QGroupBox(QStringLiteral("Columns"), this);
    m_frame->setObjectName(QStringLiteral("Frame1"));
    m_frame->setAccessibleName(m_frame->title());

    for (int i = 0; i < int(std::size(boxes)); ++i) {
        auto* box = new QCheckBox(QString::fromLatin1(boxes[i].caption), m_frame);
        box->setObjectName(QString::fromLatin1(boxes[i].name));
        box->setAccessibleName(box->text());
        m_boxes.append(box);
        if (i == 0) {
            box->setVisible(false);
            continue;
        }
        const int keyIndex = i - 1;
        // toggled, not clicked: a box checked from code stores its key just
        // as a user's click does, which is how the first opening records
        // every key.
        connect(box, &QCheckBox::toggled, this, [this, keyIndex] { columnToggled(keyIndex); });
        m_keyed.append(box);
    }

    m_ok = addButton(QStringLiteral("cmdOK"), QStringLiteral("&OK"), &PlayerColumnsDialog::confirm);
    m_cancel = addButton(QStringLiteral("cmdCancel"), QStringLiteral("&Cancel"),
                         &PlayerColumnsDialog::cancel);
    m_help = addButton(QStringLiteral("cmdHelp"), QStringLiteral("&Help"),
                       &PlayerColumnsDialog::showHelp);
}

void PlayerColumnsDialog::placeControls()
{
    // Two columns of boxes in the frame (the first, hidden, keeps its
    // place), the buttons stacked beside it.
    auto* grid = new QGridLayout(m_frame);
    grid->setVerticalSpacing(0);
    for (int i = 0; i < m_boxes.size(); ++i)
        grid->addWidget(m_boxes[i], i % BoxesPerColumn, i / BoxesPerColumn);
    QSizePolicy keepPlace = m_boxes[0]->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    m_boxes[0]->setSizePolicy(keepPlace);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {m_ok, m_cancel, m_help}) {
        button->setMinimumWidth(fontMetrics().averageCharWidth() * 13);
        buttons->addWidget(button);
    }
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_frame);
    layout->addLayout(buttons);
    // A fixed border: the size follows the font and the screen's DPI.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void PlayerColumnsDialog::buildTabOrder()
{
    // OK, Cancel, then the boxes from the bottom of the right column up to
    // the top of the left one, then Help.
    QList<QWidget*> chain{m_ok, m_cancel};
    for (auto it = m_keyed.crbegin(); it != m_keyed.crend(); ++it)
        chain.append(*it);
    chain.append(m_help);
    for (int i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    m_ok->setFocus();
}

QCheckBox* PlayerColumnsDialog::checkBox(const QString& objectName) const
{
    return findChild<QCheckBox*>(objectName);
}

void PlayerColumnsDialog::checkSavedColumns()
{
    const QStringList& keys = players::columnSettingKeys();
    for (int i = 0; i < keys.size(); ++i) {
        if (readBoolSetting(players::settingsSection(), keys[i], true))
            m_keyed[i]->setChecked(true);
    }
}

void PlayerColumnsDialog::columnToggled(int index)
{
    writeSetting(players::settingsSection(), players::columnSettingKeys()[index],
                 boolText(m_keyed[index]->isChecked()));
}

void PlayerColumnsDialog::confirm()
{
    if (m_apply)
        m_apply();
    close();
}

void PlayerColumnsDialog::cancel()
{
    close();
}

void PlayerColumnsDialog::showHelp()
{
    showHelpTopic(this, helpTopic::PlayerSettings);
}

void PlayerColumnsDialog::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        cancel(); // Esc does what Cancel does
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->ignore(); // the dialog has no default button
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}
