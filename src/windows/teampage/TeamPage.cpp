#include "windows/teampage/TeamPage.h"

#include "core/db/Database.h"
#include "core/globaledit/TeamList.h"
#include "core/teams/PlayerRows.h"
#include "ui/Hourglass.h"
#include "ui/MdiPlacement.h"
#include "ui/Prompts.h"
#include "windows/compare/ComparePlayersWindow.h"
#include "windows/players/PlayerCard.h"
#include "windows/players/PlayerWindows.h"
#include "windows/teampage/TeamPlayersModel.h"

#include <QAction>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTableWidget>
#include <algorithm>

namespace {
constexpr int MostRowsShown = 10; // a group taller than this scrolls inside its table

QPushButton* addButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(QString(caption).remove(u'&').remove(u'\u2026'));
    return button;
}

QLabel* addLabel(QWidget* parent, const QString& name, const QString& caption, QWidget* buddy)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setAccessibleName(QString(caption).remove(u'&'));
    label->setBuddy(buddy);
    return label;
}
} // namespace

TeamPage::TeamPage(const QString& path, PlayerWindows& players) : m_path(path), m_players(players)
{
    setObjectName(QStringLiteral("frmTeamPage"));
    setWindowTitle(QStringLiteral("Team Page"));
    auto* groups = new QWidget;
    groups->setObjectName(QStringLiteral("picGroups"));
    auto* groupLayout = new QVBoxLayout(groups);
    for (int g = 0; g < teams::GroupCount; ++g)
        groupLayout->addWidget(buildGroup(g));
    groupLayout->addStretch();
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("scrGroups"));
    scroll->setAccessibleName(QStringLiteral("Players by position"));
    scroll->setWidgetResizable(true);
    scroll->setWidget(groups);

    m_chart = new QChartView(this);
    m_chart->setObjectName(QStringLiteral("chtTeamVsLeague"));
    m_chart->setAccessibleName(QStringLiteral("Team against league"));
    m_chart->setMinimumHeight(220);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildTopLine());
    layout->addWidget(m_counts);
    layout->addWidget(m_chart);
    layout->addWidget(scroll, 1);
}

QWidget* TeamPage::buildTopLine()
{
    auto* line = new QWidget(this);
    line->setObjectName(QStringLiteral("picTopLine"));
    auto* layout = new QHBoxLayout(line);
    layout->setContentsMargins(0, 0, 0, 0);
    m_teams = new QComboBox(line);
    m_teams->setObjectName(QStringLiteral("cboTeam"));
    m_teams->setAccessibleName(QStringLiteral("Team"));
    connect(m_teams, &QComboBox::activated, this, &TeamPage::showTeam);
    QPushButton* previous = addButton(line, "cmdPrevious", QStringLiteral("&Previous"));
    QPushButton* next = addButton(line, "cmdNext", QStringLiteral("&Next"));
    connect(previous, &QPushButton::clicked, this, &TeamPage::previousTeam);
    connect(next, &QPushButton::clicked, this, &TeamPage::nextTeam);
    m_potentialBox = new QCheckBox(QStringLiteral("P&otential"), line);
    m_potentialBox->setObjectName(QStringLiteral("chkPotential"));
    m_potentialBox->setAccessibleName(QStringLiteral("Potential"));
    m_potentialBox->setToolTip(QStringLiteral("Show potential ratings instead of actual ones"));
    connect(m_potentialBox, &QCheckBox::toggled, this, &TeamPage::setPotential);
    m_chartGroup = new QComboBox(line);
    m_chartGroup->setObjectName(QStringLiteral("cboChartPosition"));
    m_chartGroup->setAccessibleName(QStringLiteral("Chart position"));
    for (int g = 0; g < teams::GroupCount; ++g)
        m_chartGroup->addItem(teams::groupName(g), g);
    connect(m_chartGroup, &QComboBox::currentIndexChanged, this, &TeamPage::drawChart);
    QPushButton* exportButton = addButton(line, "cmdExport", QStringLiteral("&Export\u2026"));
    exportButton->setToolTip(QStringLiteral("Write this page as a CSV file"));
    connect(exportButton, &QPushButton::clicked, this, &TeamPage::exportCsv);
    layout->addWidget(addLabel(line, QStringLiteral("lblTeam"), QStringLiteral("&Team:"), m_teams));
    for (QWidget* w : std::initializer_list<QWidget*>{m_teams, previous, next, m_potentialBox})
        layout->addWidget(w);
    layout->addWidget(
        addLabel(line, QStringLiteral("lblChart"), QStringLiteral("C&hart:"), m_chartGroup));
    layout->addWidget(m_chartGroup);
    layout->addStretch();
    layout->addWidget(exportButton);
    m_counts = new QLabel(this);
    m_counts->setObjectName(QStringLiteral("lblCounts"));
    m_counts->setAccessibleName(QStringLiteral("Players at each position"));
    m_counts->setWordWrap(true);
    return line;
}

QWidget* TeamPage::buildGroup(int g)
{
    Group& group = m_groups[size_t(g)];
    const QString name = teams::groupName(g);
    group.box = new QWidget;
    group.box->setObjectName(QStringLiteral("picGroup_%1").arg(g));
    auto* layout = new QVBoxLayout(group.box);
    group.title = addLabel(group.box, QStringLiteral("lblGroup_%1").arg(g), name, nullptr);
    QFont bold = group.title->font();
    bold.setBold(true);
    group.title->setFont(bold);
    group.averages = new QTableWidget(3, teams::RatedCount, group.box);
    group.averages->setObjectName(QStringLiteral("grdAverages_%1").arg(g));
    group.averages->setAccessibleName(name + QStringLiteral(" averages"));
    group.averages->setVerticalHeaderLabels(
        {QStringLiteral("Team"), QStringLiteral("League"), QStringLiteral("Difference")});
    group.averages->setEditTriggers(QAbstractItemView::NoEditTriggers);
    group.averages->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The averages scroll sideways with the players under them.
    group.averages->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    group.model = new TeamPlayersModel(this);
    group.proxy = new QSortFilterProxyModel(this);
    group.proxy->setSourceModel(group.model);
    group.proxy->setSortRole(Qt::UserRole);
    group.proxy->setSortCaseSensitivity(Qt::CaseInsensitive);
    group.view = new QTableView(group.box);
    group.view->setObjectName(QStringLiteral("grdPlayers_%1").arg(g));
    group.view->setAccessibleName(name + QStringLiteral(" players"));
    group.view->setModel(group.proxy);
    group.view->setSortingEnabled(true);
    group.view->sortByColumn(-1, Qt::AscendingOrder); // file order until a header is clicked
    group.view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    group.view->setSelectionBehavior(QAbstractItemView::SelectRows);
    group.view->verticalHeader()->hide();
    // Fitting the columns reads this many rows, not the whole group.
    group.view->horizontalHeader()->setResizeContentsPrecision(2 * MostRowsShown);
    connect(group.view, &QTableView::doubleClicked, this,
            [this, g](const QModelIndex& index) { openCard(g, index); });
    auto* compare = new QAction(QStringLiteral("Co&mpare Players"), group.view);
    compare->setObjectName(QStringLiteral("mnuComparePlayers_%1").arg(g));
    connect(compare, &QAction::triggered, this, [this, g] { compareSelected(g); });
    group.view->addAction(compare);
    group.view->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(group.view->horizontalScrollBar(), &QScrollBar::valueChanged,
            group.averages->horizontalScrollBar(), &QScrollBar::setValue);
    layout->addWidget(group.title);
    layout->addWidget(group.averages);
    layout->addWidget(group.view);
    return group.box;
}

TeamPage* TeamPage::showPage(QPointer<QMdiSubWindow>& holder, QMdiArea* area, const QString& path,
                             PlayerWindows& players)
{
    if (holder) {
        auto* page = qobject_cast<TeamPage*>(holder->widget());
        page->useLeague(path);
        if (holder->isMinimized())
            holder->showNormal();
        area->setActiveSubWindow(holder);
        return page;
    }
    auto* page = new TeamPage(path, players);
    if (const db::Error e = page->readLeague()) {
        delete page;
        Prompts::showError(area, e.message());
        return nullptr;
    }
    holder = new QMdiSubWindow;
    holder->setWidget(page);
    holder->setObjectName(QStringLiteral("frmTeamPageWindow"));
    holder->setAttribute(Qt::WA_DeleteOnClose);
    area->addSubWindow(holder);
    fitWindowIntoArea(holder, area, QSize(1000, 720));
    holder->show();
    area->setActiveSubWindow(holder);
    return page;
}

db::Error TeamPage::readLeague()
{
    const Hourglass hourglass;
    if (db::Error e = readTeams())
        return e;
    if (db::Error e = readFigures())
        return e;
    m_teams->setCurrentIndex(0);
    showTeam(0);
    return {};
}

db::Error TeamPage::readTeams()
{
    QList<globaledit::Team> teams;
    if (db::Error e = globaledit::readTeamList(m_path, teams))
        return e;
    m_teams->clear();
    for (const globaledit::Team& t : teams)
        m_teams->addItem(t.name, t.id);
    m_teams->addItem(QStringLiteral("College Draft/FA"), qint64(0));
    return {};
}

db::Error TeamPage::readFigures()
{
    db::Database database;
    if (db::Error e = database.open(m_path))
        return e;
    m_counter = database.changeCounter();
    return teams::computeLeagueFigures(database, m_figures);
}

db::Error TeamPage::readPlayers()
{
    const teams::TeamFigures& team = m_figures.team(teamId());
    db::Database database;
    if (db::Error e = database.open(m_path))
        return e;
    for (int g = 0; g < teams::GroupCount; ++g) {
        std::vector<teams::PlayerRow> rows;
        if (db::Error e = teams::readPlayerRows(database, team.keys[size_t(g)],
                                                TeamPlayersModel::columnsRead(), rows))
            return e;
        m_groups[size_t(g)].model->setPlayers(std::move(rows));
    }
    return {};
}

void TeamPage::useLeague(const QString& path)
{
    if (path == m_path)
        return leagueChanged();
    m_path = path;
    if (const db::Error e = readLeague())
        Prompts::showError(this, e.message());
}

void TeamPage::leagueChanged()
{
    if (m_counter && db::Database::changeCounterOf(m_path) == m_counter)
        return; // the file is as the page read it
    if (!isVisible()) {
        m_readWhenShown = true; // a minimized page reads the league when it shows again
        return;
    }
    m_readWhenShown = false;
    const Hourglass hourglass;
    const qint64 shown = teamId();
    db::Error e = readTeams();
    if (!e)
        e = readFigures();
    if (e) {
        m_counter.reset(); // read again on the next change
        return Prompts::showError(this, e.message());
    }
    const int index = m_teams->findData(shown);
    m_teams->setCurrentIndex(std::max(index, 0));
    showTeam(m_teams->currentIndex());
}

void TeamPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_readWhenShown)
        leagueChanged();
}

int TeamPage::teamIndex() const
{
    return m_teams->currentIndex();
}

qint64 TeamPage::teamId() const
{
    return m_teams->currentData().toLongLong();
}

void TeamPage::showTeam(int index)
{
    if (index < 0 || index >= m_teams->count())
        return;
    m_teams->setCurrentIndex(index);
    setWindowTitle(QStringLiteral("Team Page - ") + m_teams->currentText());
    if (const db::Error e = readPlayers())
        Prompts::showError(this, e.message());
    showGroups();
    showCounts();
    drawChart();
}

void TeamPage::previousTeam()
{
    showTeam(teamIndex() > 0 ? teamIndex() - 1 : m_teams->count() - 1);
}

void TeamPage::nextTeam()
{
    showTeam(teamIndex() + 1 < m_teams->count() ? teamIndex() + 1 : 0);
}

void TeamPage::setPotential(bool potential)
{
    m_potential = potential;
    m_potentialBox->setChecked(potential);
    for (Group& g : m_groups)
        g.model->setPotential(potential);
    showGroups();
    drawChart();
}

void TeamPage::showGroups()
{
    for (int g = 0; g < teams::GroupCount; ++g) {
        Group& group = m_groups[size_t(g)];
        const int players = group.model->rowCount();
        // "Other" only when the team has such players; every position always,
        // so a position without players shows as one.
        group.box->setVisible(g != teams::OtherGroup || players > 0);
        group.title->setText(
            QStringLiteral("%1 \u2014 %2 %3")
                .arg(teams::groupName(g))
                .arg(players)
                .arg(players == 1 ? QStringLiteral("player") : QStringLiteral("players")));
        group.view->setVisible(players > 0);
        const int rowHeight = group.view->verticalHeader()->defaultSectionSize();
        group.view->setFixedHeight(group.view->horizontalHeader()->sizeHint().height() +
                                   rowHeight * std::min(players, MostRowsShown) +
                                   group.view->horizontalScrollBar()->sizeHint().height() + 4);
        group.view->resizeColumnsToContents();
        showAverages(g);
        alignColumns(group);
    }
}

void TeamPage::alignColumns(Group& group)
{
    // Each rating's average stands over the players' values of that rating.
    QHeaderView* rows = group.averages->verticalHeader();
    const int lead = group.view->columnWidth(TeamPlayersModel::NameColumn) +
                     group.view->columnWidth(TeamPlayersModel::JerseyColumn);
    const int width = std::max(lead, rows->sizeHint().width());
    rows->setFixedWidth(width);
    group.view->setColumnWidth(TeamPlayersModel::NameColumn,
                               group.view->columnWidth(TeamPlayersModel::NameColumn) + width -
                                   lead);
    for (int c = 0; c < teams::RatedCount; ++c) {
        const int column = TeamPlayersModel::FirstRatingColumn + c;
        const int w = std::max(group.averages->columnWidth(c), group.view->columnWidth(column));
        group.averages->setColumnWidth(c, w);
        group.view->setColumnWidth(column, w);
    }
}

QVector<qint64> TeamPage::listedKeys() const
{
    QVector<qint64> keys;
    for (const Group& g : m_groups) {
        for (int row = 0; row < g.proxy->rowCount(); ++row)
            keys << g.model->key(g.proxy->mapToSource(g.proxy->index(row, 0)).row());
    }
    return keys;
}

void TeamPage::openCard(int group, const QModelIndex& index)
{
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (!index.isValid() || !sub || !sub->mdiArea())
        return;
    int offset = 0;
    for (int g = 0; g < group; ++g)
        offset += m_groups[size_t(g)].proxy->rowCount();
    PlayerCard* card =
        PlayerCard::showList(m_players, sub->mdiArea(), m_path, listedKeys(), offset + index.row());
    if (!card)
        return;
    disconnect(card, &PlayerCard::rowsWritten, nullptr, nullptr);
    emit playerCardShown(card);
}

void TeamPage::compareSelected(int group)
{
    const Group& g = m_groups[size_t(group)];
    QList<qint64> keys;
    for (const QModelIndex& row : g.view->selectionModel()->selectedRows())
        keys << g.model->key(g.proxy->mapToSource(row).row());
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (keys.size() < 2 || keys.size() > ComparePlayersWindow::MostPlayers) {
        Prompts::refuse(this, QStringLiteral("Select 2 to %1 players to compare.")
                                  .arg(ComparePlayersWindow::MostPlayers));
        return;
    }
    if (sub && sub->mdiArea())
        ComparePlayersWindow::compare(m_players.compare, sub->mdiArea(), m_path, keys, true);
}
