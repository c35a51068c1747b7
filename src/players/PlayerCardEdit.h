#pragma once

#include "db/Error.h"

#include <QHash>
#include <QString>
#include <QUndoCommand>
#include <QVariant>
#include <QVector>
#include <functional>

class QUndoStack;
class QWidget;

// One save of the player card as a step of the league's history: redo
// writes the new values, undo puts back the old ones. Each is the record
// set's guarded write, on a connection of its own (the card may be closed
// by then): it writes only when the row still holds what the step last saw,
// only the changed fields, in one transaction, values in their stored form.
class PlayerCardEdit : public QUndoCommand
{
public:
    // After a write of the row with this rowid, so open windows re-read it.
    using Written = std::function<void(qint64 rowid)>;

    // rowRead: the row as the card read it, field by field in the table's
    // order; values: the changed fields (by that order) in stored form;
    // captions: the changed fields' names as the user knows them.
    PlayerCardEdit(const QString& leaguePath, qint64 rowid, const QVector<QVariant>& rowRead,
                   const QHash<int, QVariant>& values, const QStringList& captions,
                   const QString& playerName, Written written);

    // Saves: pushes the edit onto stack, or without one runs it once. Returns
    // the first write's error; a failed edit is not kept.
    static db::Error save(QUndoStack* stack, PlayerCardEdit* edit);

    void redo() override;
    void undo() override;

private:
    db::Error write(bool forward);
    // A later redo or undo that cannot write says why and leaves the history.
    void finish(const db::Error& e);

    QString m_leaguePath;
    qint64 m_rowid;
    QVector<QVariant> m_before; // the whole row before the edit
    QVector<QVariant> m_after;  // the whole row as the edit left it
    QHash<int, QVariant> m_values;
    Written m_written;
    db::Error* m_firstResult = nullptr;
};
