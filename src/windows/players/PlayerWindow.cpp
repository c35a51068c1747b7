#include "windows/players/PlayerWindow.h"

#include "core/db/RecordSet.h"
#include "ui/Prompts.h"
#include "windows/compare/ComparePlayersWindow.h"
#include "windows/grid/FrozenColumns.h"
#include "windows/grid/GridCommands.h"
#include "windows/grid/GridView.h"
#include "windows/grid/SharedMeanings.h"
#include "windows/grid/TableConnection.h"
#include "windows/players/PlayerColumns.h"
#include "windows/players/PlayerColumnsDialog.h"
#include "windows/players/PlayerWindows.h"

#include <QAction>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <vector>

namespace {
GridOptions playerGridOptions()
{
    GridOptions options;
    for (const players::PlayerColumn& column : players::playerGridColumns())
        options.fixedColumns.append({column.caption, column.field, column.toolTip});
    options.allowAddNew = false;
    options.allowDelete = false;
    options.firstClientSize = {641, 338};
    return options;
}
} // namespace

PlayerWindow::PlayerWindow(PlayerWindows& open, SharedMeanings* shared, const QString& databasePath)
    : TableWindow(playerGridOptions(), shared, databasePath, QStringLiteral("PlayerTable"),
                  nullptr),
      m_open(open)
{
    setObjectName(QStringLiteral("frmDataGridPlayers"));
    QPushButton* settings =
        addStripButton(QStringLiteral("cmdSettings"), QStringLiteral("&Settings"));
    connect(settings, &QPushButton::clicked, this, &PlayerWindow::editSettings);
    buildFrozenNames();
    addPlayerCardCommand();
    addCompareCommand();
}

void PlayerWindow::addCompareCommand()
{
    QMenu* menu = commands()->menu();
    auto* compare = new QAction(QStringLiteral("Co&mpare Players"), menu);
    compare->setObjectName(QStringLiteral("mnuComparePlayers"));
    connect(compare, &QAction::triggered, this, &PlayerWindow::compareSelected);
    menu->insertAction(menu->actions().value(1), compare);
}

void PlayerWindow::compareSelected()
{
    const db::RecordSet* rs = model()->recordSet();
    QList<qint64> keys;
    for (const QModelIndex& cell : gridView()->selectionModel()->selectedIndexes()) {
        if (rs && cell.row() < rs->count() && !keys.contains(rs->key(cell.row())))
            keys << rs->key(cell.row());
    }
    if (keys.size() < 2 || keys.size() > ComparePlayersWindow::MostPlayers) {
        Prompts::refuse(this, QStringLiteral("Select 2 to %1 players to compare.")
                                  .arg(ComparePlayersWindow::MostPlayers));
        return;
    }
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (sub && sub->mdiArea() && resolvePendingEdit())
        ComparePlayersWindow::compare(m_open.compare, sub->mdiArea(), connection()->leaguePath(),
                                      keys, true);
}

void PlayerWindow::addPlayerCardCommand()
{
    QMenu* menu = commands()->menu();
    auto* card = new QAction(QStringLiteral("&Player Card\u2026"), menu);
    card->setObjectName(QStringLiteral("mnuPlayerCard"));
    card->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    card->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(card, &QAction::triggered, this, &PlayerWindow::playerCardRequested);
    menu->insertAction(menu->actions().value(0), card);
    menu->insertSeparator(menu->actions().value(1));
    gridView()->addAction(card);
    connect(gridView()->verticalHeader(), &QHeaderView::sectionDoubleClicked, this,
            [this](int row) {
                gridView()->setCurrentIndex(model()->index(row, 0));
                emit playerCardRequested();
            });
}

void PlayerWindow::buildFrozenNames()
{
    QList<int> names;
    const std::vector<players::PlayerColumn>& columns = players::playerGridColumns();
    for (int c = 0; c < int(columns.size()); ++c) {
        const QString& field = columns[size_t(c)].field;
        if (field == QLatin1String("FirstName") || field == QLatin1String("LastName"))
            names << c;
    }
    auto* frozen = new FrozenColumns(gridView(), names);
    frozen->setObjectName(QStringLiteral("grdFrozenNames"));
    frozen->setAccessibleName(QStringLiteral("Player Names"));
}

bool PlayerWindow::showSingle(PlayerWindows& open, QMdiArea* area, const QString& databasePath)
{
    if (open.grid) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(open.grid->parentWidget())) {
            if (sub->isMinimized())
                sub->showNormal();
            area->setActiveSubWindow(sub);
        }
        return true;
    }
    open.grid = new PlayerWindow(open, SharedMeanings::of(area), databasePath);
    return bindAndShow(area, open.grid);
}

void PlayerWindow::beforeBind()
{
    applyColumnSettings();
}

void PlayerWindow::applyColumnSettings()
{
    const players::ColumnChoice shown = players::storedColumnChoice();
    for (int column = 1; column < int(shown.size()); ++column)
        gridView()->setColumnHidden(column, !shown[size_t(column)]);
}

PlayerColumnsDialog* PlayerWindow::settingsDialog() const
{
    return m_settings;
}

void PlayerWindow::editSettings()
{
    PlayerColumnsDialog::showModal(m_settings, this, [this] { applyColumnSettings(); });
}

void PlayerWindow::windowClosing()
{
    // A closing window is no longer the one the command brings forward,
    // even before it is deleted.
    if (m_open.grid == this)
        m_open.grid = nullptr;
    TableWindow::windowClosing();
}
