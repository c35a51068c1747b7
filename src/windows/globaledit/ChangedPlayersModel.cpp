#include "windows/globaledit/ChangedPlayersModel.h"

#include <QCollator>
#include <algorithm>
#include <limits>
#include <numeric>

using globaledit::ChangedPlayer;
using globaledit::RatingSide;

namespace {
constexpr int RatingColumns = 2 * globaledit::EditedRatingCount;

QString number(double value)
{
    return QString::number(value, 'g', 15);
}
} // namespace

void ChangedPlayersModel::setPlayers(std::vector<ChangedPlayer> players,
                                     const globaledit::EditParameters& parameters,
                                     QHash<qint64, QString> teamNames)
{
    beginResetModel();
    m_players = std::move(players);
    m_parameters = parameters;
    m_teamNames = std::move(teamNames);
    m_order.resize(m_players.size());
    std::iota(m_order.begin(), m_order.end(), 0);
    m_changedColumns.assign(size_t(columnCount()), false);
    for (const ChangedPlayer& p : m_players) {
        for (int c = FirstRatingColumn; c < columnCount(); ++c) {
            if (!m_changedColumns[size_t(c)] && change(p, c))
                m_changedColumns[size_t(c)] = true;
        }
    }
    endResetModel();
}

const ChangedPlayer& ChangedPlayersModel::player(int row) const
{
    return m_players[size_t(m_order[size_t(row)])];
}

bool ChangedPlayersModel::changesColumn(int column) const
{
    return column >= FirstRatingColumn && column < int(m_changedColumns.size()) &&
           m_changedColumns[size_t(column)];
}

int ChangedPlayersModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_players.size());
}

int ChangedPlayersModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FirstRatingColumn + RatingColumns;
}

std::pair<int, RatingSide> ChangedPlayersModel::ratingAt(int column)
{
    const int i = column - FirstRatingColumn;
    return {db::schema::EditOrder[size_t(i / 2)], RatingSide(i % 2)};
}

std::optional<std::pair<double, double>> ChangedPlayersModel::change(const ChangedPlayer& player,
                                                                     int column) const
{
    const auto [n, side] = ratingAt(column);
    const globaledit::RatingPair before = globaledit::storedPair(player, n);
    const globaledit::RatingPair after = m_parameters.apply(n, before);
    const globaledit::Rating& b = side == RatingSide::Actual ? before.actual : before.potential;
    const globaledit::Rating& a = side == RatingSide::Actual ? after.actual : after.potential;
    if (!b || !a || *a == *b)
        return std::nullopt;
    return std::pair(*b, *a);
}

QString ChangedPlayersModel::teamText(const QVariant& team) const
{
    bool whole = false;
    const qint64 id = team.toLongLong(&whole);
    if (whole && team.typeId() != QMetaType::QString)
        return id == 0 ? QStringLiteral("College Draft/FA")
                       : m_teamNames.value(id, team.toString());
    return team.toString();
}

QVariant ChangedPlayersModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::TextAlignmentRole))
        return {};
    const int column = index.column();
    if (role == Qt::TextAlignmentRole)
        return column >= FirstRatingColumn ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                           : QVariant();
    const ChangedPlayer& p = player(index.row());
    switch (column) {
    case NameColumn:
        return p.name;
    case TeamColumn:
        return teamText(p.team);
    case PositionColumn:
        return db::schema::positions().at(p.position);
    default:
        if (const auto c = change(p, column))
            return QString(number(c->first) + QStringLiteral(" \u2192 ") + number(c->second));
        return {};
    }
}

QVariant ChangedPlayersModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const QStringList fixed{QStringLiteral("Player"), QStringLiteral("Team"),
                                   QStringLiteral("Position")};
    if (section < FirstRatingColumn)
        return fixed.at(section);
    const auto [n, side] = ratingAt(section);
    const QString name = db::schema::rating(n).shortName;
    return side == RatingSide::Actual ? name : name + QStringLiteral("_P");
}

void ChangedPlayersModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= columnCount())
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    const std::vector<int> old = m_order;
    std::iota(m_order.begin(), m_order.end(), 0);
    if (column >= FirstRatingColumn) {
        // By the value after the edit; players whose value stays come first.
        std::vector<double> key(m_players.size());
        for (size_t i = 0; i < m_players.size(); ++i) {
            const auto c = change(m_players[i], column);
            key[i] = c ? c->second : -std::numeric_limits<double>::infinity();
        }
        std::stable_sort(m_order.begin(), m_order.end(),
                         [&](int a, int b) { return key[size_t(a)] < key[size_t(b)]; });
    } else if (column == PositionColumn) {
        std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) {
            return m_players[size_t(a)].position < m_players[size_t(b)].position;
        });
    } else {
        QCollator collator;
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        std::vector<QString> key(m_players.size());
        for (size_t i = 0; i < m_players.size(); ++i)
            key[i] = column == NameColumn ? m_players[i].name : teamText(m_players[i].team);
        std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) {
            return collator.compare(key[size_t(a)], key[size_t(b)]) < 0;
        });
    }
    if (order == Qt::DescendingOrder)
        std::reverse(m_order.begin(), m_order.end());
    std::vector<int> newRow(m_players.size());
    for (size_t row = 0; row < m_order.size(); ++row)
        newRow[size_t(m_order[row])] = int(row);
    QModelIndexList after;
    for (const QModelIndex& i : before)
        after << index(newRow[size_t(old[size_t(i.row())])], i.column());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
