#pragma once

#include "core/teams/PlayerRows.h"

#include <QAbstractTableModel>
#include <vector>

// One position's players on the Team Page: "First Last", jersey, then the 24
// ratings in the Global Edit's order, actual or potential. Qt::UserRole
// gives the stored value, which the page sorts by.
class TeamPlayersModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int NameColumn = 0;
    static constexpr int JerseyColumn = 1;
    static constexpr int FirstRatingColumn = 2;

    // The columns each row's values hold: jersey, then every side by
    // teams::sideOf.
    static QStringList columnsRead();

    using QAbstractTableModel::QAbstractTableModel;
    void setPlayers(std::vector<teams::PlayerRow> players);
    void setPotential(bool potential);
    qint64 key(int row) const { return m_players[size_t(row)].key; }
    const teams::PlayerRow& player(int row) const { return m_players[size_t(row)]; }
    // The stored value shown in the column: the jersey or a rating.
    QVariant stored(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    std::vector<teams::PlayerRow> m_players;
    bool m_potential = false;
};
