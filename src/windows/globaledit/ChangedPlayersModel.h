#pragma once

#include "core/globaledit/GlobalEditPreview.h"

#include <QAbstractTableModel>
#include <QHash>
#include <vector>

// The players a global edit would change, one row each: "First Last", team,
// position, then each edited rating's actual and potential as "before →
// after" where it changes. A model, not widgets: a preview of 200,000
// players is 200,000 rows of data and only the visible ones are painted.
// Sorting reorders an index, never the players.
class ChangedPlayersModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int NameColumn = 0;
    static constexpr int TeamColumn = 1;
    static constexpr int PositionColumn = 2;
    static constexpr int FirstRatingColumn = 3; // then actual, potential by EditOrder

    using QAbstractTableModel::QAbstractTableModel;

    // teamNames: TeamID -> name for the team column.
    void setPlayers(std::vector<globaledit::ChangedPlayer> players,
                    const globaledit::EditParameters& parameters, QHash<qint64, QString> teamNames);
    const globaledit::ChangedPlayer& player(int row) const;
    // Whether any listed player changes the column's rating.
    bool changesColumn(int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    // Rating number and side of a rating column.
    static std::pair<int, globaledit::RatingSide> ratingAt(int column);
    // The column's value before and after the edit; nullopt when it stays.
    std::optional<std::pair<double, double>> change(const globaledit::ChangedPlayer& player,
                                                    int column) const;
    QString teamText(const QVariant& team) const;

    std::vector<globaledit::ChangedPlayer> m_players;
    std::vector<int> m_order; // row -> player
    std::vector<bool> m_changedColumns;
    globaledit::EditParameters m_parameters;
    QHash<qint64, QString> m_teamNames;
};
