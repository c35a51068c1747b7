#include "windows/compare/ComparePlayersWindow.h"

#include "core/db/Database.h"
#include "core/globaledit/TeamList.h"
#include "core/teams/PlayerRows.h"
#include "core/teams/TeamFigures.h"
#include "ui/MdiPlacement.h"
#include "ui/Prompts.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QBoxLayout>
#include <QChart>
#include <QChartView>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableWidget>
#include <QValueAxis>
#include <algorithm>

namespace {

// Who the player is, as the rows above his ratings show it.
struct IdentityRow {
    const char* caption;
    const char* column;
};
constexpr IdentityRow IdentityRows[] = {
    {"Team", "TeamId"},       {"Position", "CurrentPos"}, {"Natural Position", "NaturalPos"},
    {"Jersey", "JerseyNum"},  {"Height", "Height"},       {"Weight", "Weight"},
    {"PlayerId", "PlayerId"},
};
constexpr int IdentityCount = int(std::size(IdentityRows));

// The rating rows, actual then potential for each rating in EditOrder; the
// index into the values read after the identity columns.
int sideOfRow(int row)
{
    const int i = row - IdentityCount;
    return teams::sideOf(db::schema::EditOrder[size_t(i / 2)], i % 2 == 1);
}

QStringList columnsRead()
{
    QStringList columns;
    for (const IdentityRow& r : IdentityRows)
        columns << QString::fromLatin1(r.column);
    for (int side = 0; side < teams::SideCount; ++side)
        columns << teams::sideColumn(side);
    return columns;
}

QString positionText(const QVariant& v)
{
    bool whole = false;
    const int p = v.toInt(&whole);
    return whole && p >= 0 && p < db::schema::PositionCount ? db::schema::positions().at(p)
                                                            : v.toString();
}

// The team's name for a TeamID as stored; the value itself when no team has it.
QString teamText(const QVariant& id, const QList<globaledit::Team>& teamList)
{
    const bool number = id.typeId() == QMetaType::LongLong || id.typeId() == QMetaType::Int;
    if (!number)
        return id.toString();
    if (id.toLongLong() == 0)
        return QStringLiteral("College Draft/FA");
    for (const globaledit::Team& t : teamList) {
        if (t.id == id.toLongLong())
            return t.name;
    }
    return id.toString();
}

QPushButton* addButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(QString(caption).remove(u'&').remove(u'\u2026'));
    return button;
}

} // namespace

ComparePlayersWindow::ComparePlayersWindow(const QString& path, QWidget* parent)
    : QWidget(parent), m_path(path)
{
    setObjectName(QStringLiteral("frmComparePlayers"));
    setWindowTitle(QStringLiteral("Compare Players"));
    m_table = new QTableWidget(this);
    m_table->setObjectName(QStringLiteral("grdCompare"));
    m_table->setAccessibleName(QStringLiteral("Players side by side"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setRowCount(IdentityCount + teams::SideCount);
    QStringList rows;
    for (const IdentityRow& r : IdentityRows)
        rows << QString::fromLatin1(r.caption);
    for (int row = IdentityCount; row < m_table->rowCount(); ++row) {
        const int side = sideOfRow(row);
        const db::schema::Rating& r = db::schema::rating(side % teams::RatedCount + 1);
        rows << (side < teams::RatedCount ? r.shortName : r.shortName + QStringLiteral("_P"));
    }
    m_table->setVerticalHeaderLabels(rows);
    m_chart = new QChartView(new QChart, this);
    m_chart->setObjectName(QStringLiteral("chtCompare"));
    m_chart->setAccessibleName(QStringLiteral("Actual ratings of the players"));
    m_chart->setMinimumHeight(220);
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("lblCompareNote"));
    m_note->setAccessibleName(QStringLiteral("Note"));
    m_note->setWordWrap(true);

    QPushButton* add = addButton(this, "cmdAdd", QStringLiteral("&Add Player\u2026"));
    QPushButton* remove = addButton(this, "cmdRemove", QStringLiteral("&Remove Player"));
    QPushButton* close = addButton(this, "cmdClose", QStringLiteral("&Close"));
    connect(add, &QPushButton::clicked, this, &ComparePlayersWindow::addByName);
    connect(remove, &QPushButton::clicked, this, &ComparePlayersWindow::removeCurrent);
    connect(close, &QPushButton::clicked, this, [this] { parentWidget()->close(); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch();
    buttons->addWidget(close);
    // The chart across the whole width: each rating's name then has room.
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 3);
    layout->addWidget(m_chart, 2);
    layout->addWidget(m_note);
    layout->addLayout(buttons);
}

ComparePlayersWindow* ComparePlayersWindow::compare(QPointer<QMdiSubWindow>& holder, QMdiArea* area,
                                                    const QString& path, const QList<qint64>& keys,
                                                    bool replace)
{
    auto* form = holder ? qobject_cast<ComparePlayersWindow*>(holder->widget()) : nullptr;
    if (form && (replace || form->m_path != path)) {
        form->m_keys.clear();
        form->m_path = path;
    }
    if (!form) {
        form = new ComparePlayersWindow(path);
        holder = new QMdiSubWindow;
        holder->setWidget(form);
        holder->setObjectName(QStringLiteral("frmComparePlayersWindow"));
        holder->setAttribute(Qt::WA_DeleteOnClose);
        keepOthersMaximized(holder, area);
        area->addSubWindow(holder);
        fitWindowIntoArea(holder, area, QSize(900, 620));
    }
    if (!form->addPlayers(keys) && form->m_keys.isEmpty()) {
        holder->close();
        return nullptr;
    }
    holder->show();
    area->setActiveSubWindow(holder);
    return form;
}

bool ComparePlayersWindow::addPlayers(const QList<qint64>& keys)
{
    QList<qint64> added = m_keys;
    for (const qint64 key : keys) {
        if (!added.contains(key))
            added << key;
    }
    if (added.size() > MostPlayers) {
        Prompts::refuse(this, QStringLiteral("Compare Players shows at most %1 players. Remove "
                                             "one first, or select fewer.")
                                  .arg(MostPlayers));
        return false;
    }
    m_keys = added;
    refresh();
    return true;
}

void ComparePlayersWindow::removePlayer(int column)
{
    if (column < 0 || column >= m_keys.size())
        return;
    m_keys.removeAt(column);
    refresh();
}

void ComparePlayersWindow::removeCurrent()
{
    removePlayer(m_table->currentColumn());
}

void ComparePlayersWindow::useLeague(const QString& path)
{
    if (path == m_path)
        return refresh();
    m_path = path;
    m_keys.clear();
    refresh();
}

void ComparePlayersWindow::addByName()
{
    const QString name =
        Prompts::input(this, QStringLiteral("Player to add (first and last name):")).simplified();
    if (name.isEmpty())
        return;
    db::Database database;
    QList<qint64> found;
    db::Error e = database.open(m_path);
    if (!e)
        e = database.query(
            QStringLiteral("SELECT rowid FROM PlayerTable WHERE trim(ifnull(FirstName, '') || ' ' "
                           "|| ifnull(LastName, '')) = ? COLLATE YM_NOCASE LIMIT 2"),
            {name}, [&found](const db::Statement& row) { found << row.int64(0); });
    if (e)
        return Prompts::showError(this, e.message());
    if (found.size() != 1)
        return Prompts::refuse(
            this, found.isEmpty()
                      ? QStringLiteral("No player is named \"%1\".").arg(name)
                      : QStringLiteral("More than one player is named \"%1\": add him from the "
                                       "player grid or his card.")
                            .arg(name));
    addPlayers(found);
}

void ComparePlayersWindow::refresh()
{
    db::Database database;
    std::vector<teams::PlayerRow> rows;
    QList<qint64> gone;
    QList<globaledit::Team> teamList;
    db::Error e = database.open(m_path);
    if (!e)
        e = teams::readPlayerRows(database, std::vector<qint64>(m_keys.begin(), m_keys.end()),
                                  columnsRead(), rows, &gone);
    database.close();
    if (!e)
        e = globaledit::readTeamList(m_path, teamList);
    if (e) {
        Prompts::showError(this, e.message());
        rows.clear();
    }
    m_note->setText(
        gone.isEmpty() ? QString()
                       : QStringLiteral("%1 of the players compared %2 no longer in "
                                        "the league and left the comparison.")
                             .arg(gone.size())
                             .arg(gone.size() == 1 ? QStringLiteral("is") : QStringLiteral("are")));
    m_keys.clear();
    QStringList names;
    QList<QStringList> cells;
    for (const teams::PlayerRow& row : rows) {
        m_keys << row.key;
        names << row.name;
        QStringList column;
        for (const QVariant& v : row.values)
            column << v.toString();
        column[0] = teamText(row.values.at(0), teamList);
        column[1] = positionText(row.values.at(1));
        column[2] = positionText(row.values.at(2));
        cells << column;
    }
    fillTable(cells, names);
    drawChart(names);
}

void ComparePlayersWindow::fillTable(const QList<QStringList>& cells, const QStringList& names)
{
    m_table->setColumnCount(int(cells.size()));
    m_table->setHorizontalHeaderLabels(names);
    for (int c = 0; c < cells.size(); ++c) {
        for (int row = 0; row < m_table->rowCount(); ++row) {
            const int value = row < IdentityCount ? row : IdentityCount + sideOfRow(row);
            auto* item = new QTableWidgetItem(cells[c].value(value));
            if (row >= IdentityCount)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(row, c, item);
        }
    }
    for (int row = IdentityCount; row < m_table->rowCount(); ++row)
        markBest(row);
    m_table->resizeColumnsToContents();
}

void ComparePlayersWindow::markBest(int row)
{
    // The highest number of the row in bold; text and empty cells never win.
    double best = 0;
    int numbers = 0;
    for (int c = 0; c < m_table->columnCount(); ++c) {
        bool ok = false;
        const double v = m_table->item(row, c)->text().toDouble(&ok);
        if (ok && (numbers++ == 0 || v > best))
            best = v;
    }
    for (int c = 0; c < m_table->columnCount(); ++c) {
        bool ok = false;
        const double v = m_table->item(row, c)->text().toDouble(&ok);
        QFont font = m_table->item(row, c)->font();
        font.setBold(ok && numbers > 1 && v == best);
        m_table->item(row, c)->setFont(font);
    }
}

void ComparePlayersWindow::drawChart(const QStringList& names)
{
    auto* series = new QBarSeries;
    QStringList categories;
    for (const int n : db::schema::EditOrder)
        categories << db::schema::rating(n).shortName;
    for (int c = 0; c < names.size(); ++c) {
        auto* set = new QBarSet(names.at(c));
        for (int i = 0; i < teams::RatedCount; ++i) // the actual rows, in EditOrder
            *set << m_table->item(IdentityCount + 2 * i, c)->text().toDouble();
        series->append(set);
    }
    auto* chart = new QChart;
    chart->addSeries(series);
    chart->setTitle(QStringLiteral("Actual ratings"));
    auto* x = new QBarCategoryAxis;
    x->append(categories);
    auto* y = new QValueAxis;
    y->setRange(0, 100);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
    QChart* old = m_chart->chart();
    m_chart->setChart(chart);
    delete old;
}
