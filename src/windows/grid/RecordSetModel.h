#pragma once

#include "core/db/Error.h"
#include "history/RowStep.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QVector>
#include <functional>

namespace db {
class RecordSet;
}
class ShownValues;

// A grid column bound to a field by name. The field is found in the record
// set without regard to case, wherever the file stores it.
struct ColumnDef {
    QString caption;
    QString dataField;
    QString toolTip = {}; // the header's tooltip; empty: the field name
};

// The grid's model over a record set. Edits collect in one row buffer (the
// pending row) and are written only when the row is committed and the
// window approves the write; the new-row line under the last row appends a row.
//
// Columns are either one per field of the record set, in field order, headed
// by the field name (the default), or a fixed list of ColumnDefs.
class RecordSetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit RecordSetModel(QObject* parent = nullptr);

    // The record set is not owned; the model resets over the new one. Any
    // pending edit must be resolved before (commitPendingEdit or
    // discardPendingEdit).
    void setRecordSet(db::RecordSet* recordSet);
    db::RecordSet* recordSet() const { return m_rs; }

    // Fixed columns, addressed by index; an empty list goes back to one
    // column per field.
    void setFixedColumns(const QList<ColumnDef>& columns);
    // The first fixed column whose field the record set lacks, or empty.
    QString missingField() const;

    // Asked before a pending row is written, and before rows are deleted;
    // false stops it. None: approved.
    using Approval = std::function<bool()>;
    void setWriteApproval(Approval approve) { m_approveWrite = std::move(approve); }
    void setDeleteApproval(Approval approve) { m_approveDelete = std::move(approve); }

    void setAllowAddNew(bool allow);
    void setAllowDelete(bool allow);
    void setAllowUpdate(bool allow);
    bool allowAddNew() const;
    bool allowDelete() const;
    bool allowUpdate() const;

    // The record set's field shown in a column (-1 when it lacks it), and
    // that field's name as the file spells it.
    int fieldOfColumn(int column) const;
    QString fieldNameOfColumn(int column) const;

    // What the cells show instead of their stored values (GridMeanings
    // attaches itself); none: as stored.
    void setShownValues(ShownValues* shown) { m_shown = shown; }
    // The cell's value in stored form, an edited one as typed into the row.
    QVariant storedValue(int row, int column) const;

    // The row of the new-row line, or -1 when rows cannot be added.
    int newRowLine() const;

    bool hasPendingEdit() const { return m_editRow >= 0; }
    int pendingRow() const { return m_editRow; }
    // Writes the pending row once the write approval agrees; nothing pending
    // is success. A write not approved drops the edit. When the row was
    // replaced or the table skipped the write (RowVanished, WriteSkipped) the edit is dropped
    // too, since it can never be written as it is; on any other error the
    // row stays in edit, unchanged.
    db::Error commitPendingEdit();
    void discardPendingEdit();
    // Another window wrote the row with this key: show it as the file now
    // holds it. A pending edit of it stays, to be checked when written (and
    // refused in words that say why).
    void rowWrittenElsewhere(qint64 key);

    // Deletes whole rows once the delete approval agrees; else deletes nothing.
    db::Error deleteRows(QList<int> rows);

    // The last error setData met (a value that does not fit), for the window
    // to show; cleared by reading it.
    db::Error takeEditError();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // A pending edit began or ended (the record selector shows it).
    void pendingEditChanged();
    // setData refused a value (takeEditError() has the error).
    void editRefused();
    // setData stored a value that reads otherwise than typed (45.5 as 46).
    void valueNoted(const QString& note);
    // A write reached the file: what it changed, for the history.
    void rowsWritten(const RowChange& change);

private:
    void rebuildColumnMap();
    bool isRecordRow(int row) const;
    bool isCell(const QModelIndex& index) const;
    void beginPendingRow(int row);
    void endPendingRow();
    db::Error readErrorAt(const QModelIndex& index) const;
    // The change's table, fields and file, and its name for the menu.
    RowChange describeChange(const QString& what, const QVector<QVariant>& row) const;
    RowImage imageOf(int row) const;

    db::RecordSet* m_rs = nullptr;
    int m_recordCount = 0; // the record set's rows as announced to the views
    QList<ColumnDef> m_fixed;
    QVector<int> m_fieldOfColumn;
    bool m_allowAddNew = true;
    bool m_allowDelete = true;
    bool m_allowUpdate = true;
    Approval m_approveWrite;
    Approval m_approveDelete;

    int m_editRow = -1;
    QHash<int, QVariant> m_editValues; // by field, in stored form
    QVector<QVariant> m_editSeen;      // the row as it was shown when the edit began
    bool m_editSavedElsewhere = false; // another window wrote the row since
    db::Error m_editError;
    ShownValues* m_shown = nullptr;
};
