#pragma once

#include "core/db/CsvExport.h"
#include "core/db/Meanings.h"
#include "core/db/RecordSet.h"
#include "core/db/RowSearch.h"
#include "windows/grid/ShownValues.h"

#include <QObject>
#include <QSet>
#include <QVariant>
#include <QVector>
#include <memory>
#include <optional>

class LeagueMeanings;
class SharedMeanings;
class QWidget;
class RecordSetModel;

// What a grid shows of its coded columns (positions, teams, conferences,
// players): the meaning for Qt::DisplayRole, with a tooltip that gives the
// stored value, and a value that means nothing as stored, in italics, with a
// tooltip saying why. Qt::EditRole, sorting, filtering and writing keep the
// stored value. Show Codes (SharedMeanings) switches it off in every window.
// Player names are read a page of rows at a time, when the page is shown.
class GridMeanings : public QObject, public ShownValues
{
    Q_OBJECT
public:
    // Attaches itself to model, whose parent window asks the questions;
    // the league's names and Show Codes come from shared.
    GridMeanings(RecordSetModel* model, QWidget* window, SharedMeanings* shared);
    ~GridMeanings() override;

    bool showsCodes() const { return m_showCodes; }
    void setShowCodes(bool on);
    // The column's kind of code while meanings are shown, else None.
    db::CodeKind shownKind(int column) const;

    // The model's data for a role this layer answers; none: the model's own.
    std::optional<QVariant> data(const QModelIndex& index, int role) const override;
    QString headerToolTip(int column, const QString& tip) const override;
    // A name or number typed into a coded cell: written as its code, after
    // asking about a code that means nothing. False when nothing was written.
    bool setByName(const QModelIndex& index, const QString& text) override;

    // Find, Copy and Export follow what is shown.
    void addShownCodes(db::FindRequest& request, const QList<int>& columns) const;
    QList<db::ShownAs> shownAs(const QList<int>& columns) const;

    // Reads the names afresh (Refresh, a league replaced).
    void reread();

private:
    void attach();
    void rebuildColumns();
    void showAnew();
    void readPlayerPage(int row) const;
    db::Meaning meaningAt(const QModelIndex& index) const;

    RecordSetModel* m_model;
    QWidget* m_window;
    SharedMeanings* m_areaMeanings; // where the league's names come from
    bool m_showCodes;
    std::shared_ptr<LeagueMeanings> m_shared;
    QVector<db::CodeKind> m_kinds;   // by column
    QStringList m_fields;            // by column, as the file spells them
    mutable QSet<int> m_playerPages; // pages whose player names are read
    bool m_asking = false;
};
