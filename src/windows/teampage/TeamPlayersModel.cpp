#include "windows/teampage/TeamPlayersModel.h"

#include "core/teams/TeamFigures.h"

QStringList TeamPlayersModel::columnsRead()
{
    QStringList columns{QStringLiteral("JerseyNum")};
    for (int side = 0; side < teams::SideCount; ++side)
        columns << teams::sideColumn(side);
    return columns;
}

void TeamPlayersModel::setPlayers(std::vector<teams::PlayerRow> players)
{
    beginResetModel();
    m_players = std::move(players);
    endResetModel();
}

void TeamPlayersModel::setPotential(bool potential)
{
    if (potential == m_potential)
        return;
    m_potential = potential;
    emit headerDataChanged(Qt::Horizontal, FirstRatingColumn, columnCount() - 1);
    if (!m_players.empty())
        emit dataChanged(index(0, FirstRatingColumn), index(rowCount() - 1, columnCount() - 1));
}

int TeamPlayersModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_players.size());
}

int TeamPlayersModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FirstRatingColumn + teams::RatedCount;
}

QVariant TeamPlayersModel::stored(int row, int column) const
{
    const teams::PlayerRow& p = m_players[size_t(row)];
    if (column == JerseyColumn)
        return p.values.at(0);
    const int n = db::schema::EditOrder[size_t(column - FirstRatingColumn)];
    return p.values.at(1 + teams::sideOf(n, m_potential));
}

QVariant TeamPlayersModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return column == NameColumn ? m_players[size_t(index.row())].name
                                    : stored(index.row(), column).toString();
    case Qt::UserRole: // what sorting compares
        return column == NameColumn ? QVariant(m_players[size_t(index.row())].name)
                                    : stored(index.row(), column);
    case Qt::TextAlignmentRole:
        return column == NameColumn ? QVariant() : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant TeamPlayersModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == NameColumn)
        return QStringLiteral("Player");
    if (section == JerseyColumn)
        return QStringLiteral("Jersey");
    const db::schema::Rating& r =
        db::schema::rating(db::schema::EditOrder[size_t(section - FirstRatingColumn)]);
    if (role == Qt::ToolTipRole)
        return QString((m_potential ? QStringLiteral("Potential ") : QStringLiteral("Actual ")) +
                       r.attribute);
    return m_potential ? QString(r.shortName + QStringLiteral("_P")) : r.shortName;
}
