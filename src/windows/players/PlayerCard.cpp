// The player card's window: its buttons, its parts wired together, and its
// place among the main window's windows.
#include "windows/players/PlayerCard.h"

#include "core/db/RecordSet.h"
#include "windows/compare/ComparePlayersWindow.h"
#include "windows/grid/GridView.h"
#include "windows/grid/SharedMeanings.h"
#include "windows/grid/TableConnection.h"
#include "windows/players/CardEditor.h"
#include "windows/players/CardView.h"
#include "windows/players/CardWalk.h"
#include "windows/players/PlayerWindow.h"
#include "windows/players/PlayerWindows.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

PlayerCard::PlayerCard(SharedMeanings* shared) : m_shared(shared)
{
    setObjectName(u"frmPlayerCard"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    QList<QPushButton*> tabOrder;
    QWidget* strip = buildButtons(&tabOrder);
    // The page is the scroll area's: it has no parent before the area takes it.
    m_view = new CardView(m_player, this, shared);
    m_editor = new CardEditor(m_player, *m_view, this);
    m_walk = new CardWalk(m_player, *m_editor, this);
    connect(m_view, &CardView::shown, this, [this] {
        showTitle();
        updateButtons();
    });
    connect(m_walk, &CardWalk::moved, this, &PlayerCard::updateButtons);
    connect(m_editor, &CardEditor::rowSaved, this, &PlayerCard::rowWritten);
    connect(m_editor, &CardEditor::rowsWritten, this, &PlayerCard::rowsWritten);
    connect(m_editor, &CardEditor::valueNoted, this, &PlayerCard::valueNoted);

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(u"scrCard"_s);
    scroll->setAccessibleName(u"Player Card"_s);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(m_view);
    m_view->keepCurrentCellVisible(scroll);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(strip);
    layout->addWidget(scroll, 1);
    // Tab order: the values first, top to bottom, then the buttons.
    QWidget* last = m_view->lastValue();
    for (QPushButton* b : tabOrder) {
        setTabOrder(last, b);
        last = b;
    }
}

PlayerCard::~PlayerCard() = default;

QPushButton* PlayerCard::addButton(const char* name, const QString& caption,
                                   const std::function<void()>& handler)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QLatin1String(name));
    button->setAccessibleName(QString(caption).remove(u'&'));
    connect(button, &QPushButton::clicked, this, handler);
    return button;
}

QWidget* PlayerCard::buildButtons(QList<QPushButton*>* tabOrder)
{
    auto* strip = new QWidget(this);
    strip->setObjectName(u"picButtons"_s);
    strip->setAccessibleName(u"Buttons"_s);
    auto* buttons = new QHBoxLayout(strip);
    buttons->setContentsMargins(0, 0, 0, 0);
    m_previous = addButton("cmdPrevious", u"&Previous"_s, [this] { previous(); });
    m_next = addButton("cmdNext", u"&Next"_s, [this] { next(); });
    m_save = addButton("cmdSave", u"&Save"_s, [this] { saveChanges(); });
    m_revert = addButton("cmdRevert", u"Re&vert"_s, [this] { m_editor->revert(); });
    QPushButton* close = addButton("cmdClose", u"&Close"_s, [this] { closeWindow(); });
    QPushButton* compare = addButton("cmdCompare", u"Co&mpare"_s, [this] { this->compare(); });
    compare->setToolTip(u"Add this player to Compare Players"_s);
    m_previous->setToolTip(u"Previous player of the grid (Ctrl+Page Up)"_s);
    m_next->setToolTip(u"Next player of the grid (Ctrl+Page Down)"_s);
    m_save->setToolTip(u"Write the changed values"_s);
    m_revert->setToolTip(u"Drop the changed values and show the player as stored"_s);
    *tabOrder = {m_previous, m_next, m_save, m_revert, compare, close};
    for (QPushButton* b : *tabOrder)
        buttons->addWidget(b);
    auto* codes = new QCheckBox(u"Show C&odes"_s, strip);
    codes->setObjectName(u"chkShowCodes"_s);
    codes->setAccessibleName(u"Show Codes"_s);
    codes->setChecked(m_shared->showsCodes());
    connect(codes, &QCheckBox::clicked, m_shared, &SharedMeanings::setShowCodes);
    connect(m_shared, &SharedMeanings::showCodesChanged, codes, &QCheckBox::setChecked);
    buttons->addWidget(codes);
    buttons->addStretch();

    // Page keys with Ctrl move between players and never reach a value's
    // editor, so they work while a value is being typed.
    auto* previous = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp), this);
    auto* next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown), this);
    for (QShortcut* s : {previous, next})
        s->setContext(Qt::WidgetWithChildrenShortcut);
    connect(previous, &QShortcut::activated, this, &PlayerCard::previous);
    connect(next, &QShortcut::activated, this, &PlayerCard::next);
    return strip;
}

PlayerCard* PlayerCard::showFor(PlayerWindows& open, PlayerWindow* grid)
{
    auto* gridWindow = qobject_cast<QMdiSubWindow*>(grid->parentWidget());
    QMdiArea* area = gridWindow ? gridWindow->mdiArea() : nullptr;
    // The card reads the file: an edited grid row is settled first.
    if (!area || !grid->resolvePendingEdit())
        return nullptr;
    std::unique_ptr<PlayerCard> made(open.card ? nullptr
                                               : new PlayerCard(SharedMeanings::of(area)));
    PlayerCard* card = made ? made.get() : open.card.data();
    card->m_open = &open;
    if (!card->m_walk->showGridRow(grid))
        return nullptr;
    if (made && card->m_player.key() < 0)
        return nullptr; // no player to show (the filter hides them all), or his error was shown
    present(open, area, std::move(made), card);
    return card;
}

PlayerCard* PlayerCard::showList(PlayerWindows& open, QMdiArea* area, const QString& path,
                                 const QVector<qint64>& keys, int index)
{
    if (index < 0 || index >= keys.size())
        return nullptr;
    std::unique_ptr<PlayerCard> made(open.card ? nullptr
                                               : new PlayerCard(SharedMeanings::of(area)));
    PlayerCard* card = made ? made.get() : open.card.data();
    card->m_open = &open;
    if (!card->m_walk->showList(path, keys, index))
        return nullptr;
    if (made && card->m_player.key() < 0)
        return nullptr; // his error was shown
    present(open, area, std::move(made), card);
    return card;
}

void PlayerCard::present(PlayerWindows& open, QMdiArea* area, std::unique_ptr<PlayerCard> made,
                         PlayerCard* card)
{
    QMdiSubWindow* sub =
        made ? new QMdiSubWindow : qobject_cast<QMdiSubWindow*>(card->parentWidget());
    if (made) {
        open.card = made.release();
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->setWidget(card);
        area->addSubWindow(sub);
        sub->resize(sub->sizeHint().boundedTo(area->viewport()->size()));
        sub->show();
        card->m_view->focusValues();
    } else if (sub && sub->isMinimized()) {
        sub->showNormal();
    }
    area->setActiveSubWindow(sub);
}

void PlayerCard::leagueChanged(const QString& leaguePath)
{
    m_editor->leagueChanged(leaguePath);
}

void PlayerCard::follow(PlayerWindow* grid)
{
    m_walk->follow(grid);
}

QString PlayerCard::shownText(int column) const
{
    return m_view->shownText(column);
}

void PlayerCard::typeValue(int column, const QString& text)
{
    m_editor->typeValue(column, text);
}

void PlayerCard::previous()
{
    m_walk->previous();
}

void PlayerCard::next()
{
    m_walk->next();
}

void PlayerCard::saveChanges()
{
    m_editor->save();
}

bool PlayerCard::resolvePendingEdit()
{
    return m_editor->leavePlayer();
}

void PlayerCard::showTitle()
{
    const QString name = m_player.wasRead() ? m_view->playerName() : QString();
    setWindowTitle(name.isEmpty() ? u"Player Card[*]"_s : u"Player Card - "_s + name + u"[*]"_s);
    setWindowModified(hasChanges());
}

void PlayerCard::updateButtons()
{
    m_previous->setEnabled(m_walk->hasPrevious());
    m_next->setEnabled(m_walk->hasNext());
    m_save->setEnabled(hasChanges());
    m_revert->setEnabled(hasChanges());
    m_view->setEnabled(m_player.hasRow());
}

void PlayerCard::rowWritten()
{
    // The open grid, which need not be the one the card follows: the grid
    // may have been closed and opened again since.
    PlayerWindow* grid = m_open ? m_open->grid.data() : nullptr;
    if (grid && grid->connection()->leaguePath() == m_player.leaguePath())
        grid->model()->rowWrittenElsewhere(m_player.key());
}

void PlayerCard::compare()
{
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (m_player.key() >= 0 && m_open && sub && sub->mdiArea())
        ComparePlayersWindow::compare(m_open->compare, sub->mdiArea(), m_player.leaguePath(),
                                      {m_player.key()}, false);
}

void PlayerCard::closeWindow()
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

void PlayerCard::closeEvent(QCloseEvent* event)
{
    if (!m_editor->leavePlayer()) {
        event->ignore();
        return;
    }
    // A closing card is no longer the one the command brings forward, even
    // before it is deleted.
    if (m_open && m_open->card == this)
        m_open->card = nullptr;
    event->accept();
}

void PlayerCard::keyPressEvent(QKeyEvent* event)
{
    // Escape that no value's editor took closes the card, asking about
    // changed values first.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        closeWindow();
        return;
    }
    QWidget::keyPressEvent(event);
}

QSize PlayerCard::sizeHint() const
{
    // The whole page where the screen has room; the area bounds it.
    const QSize page = m_view->sizeHint();
    return {page.width() + 40, page.height() + 80};
}
