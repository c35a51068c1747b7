#pragma once

#include <QModelIndex>
#include <QString>
#include <QVariant>
#include <optional>

// What a grid's model shows in place of its stored values, asked before the
// model answers itself (GridMeanings: codes by their meanings). Its roles are
// the cell editors': the names a drop-down offers (empty: a plain editor),
// and the role a picked or typed name is handed to the model with.
class ShownValues
{
public:
    static constexpr int ChoicesRole = Qt::UserRole + 40;
    static constexpr int NameRole = Qt::UserRole + 41;

    virtual ~ShownValues() = default;

    // The data for a role this layer answers; none: the model's own.
    virtual std::optional<QVariant> data(const QModelIndex& index, int role) const = 0;
    virtual QString headerToolTip(int column, const QString& tip) const = 0;
    // A name or number typed into a cell (NameRole): false when nothing was
    // written.
    virtual bool setByName(const QModelIndex& index, const QString& text) = 0;
};
