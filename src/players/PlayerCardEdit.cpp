#include "players/PlayerCardEdit.h"

#include "db/Database.h"
#include "db/RecordSet.h"
#include "shell/base/Prompts.h"

#include <QUndoStack>
#include <memory>
#include <utility>

namespace {
// Names the change the way Edit > Undo lists it: a few fields, then a count.
QString describe(const QStringList& captions, const QString& playerName)
{
    constexpr int Named = 4;
    QString fields = captions.mid(0, Named).join(QStringLiteral(", "));
    if (captions.size() > Named)
        fields += QStringLiteral(" and %1 more").arg(captions.size() - Named);
    return QStringLiteral("Change of %1 for %2").arg(fields, playerName);
}
} // namespace

PlayerCardEdit::PlayerCardEdit(const QString& leaguePath, qint64 rowid,
                               const QVector<QVariant>& rowRead, const QHash<int, QVariant>& values,
                               const QStringList& captions, const QString& playerName,
                               Written written)
    : QUndoCommand(describe(captions, playerName)), m_leaguePath(leaguePath), m_rowid(rowid),
      m_before(rowRead), m_values(values), m_written(std::move(written))
{
}

db::Error PlayerCardEdit::save(QUndoStack* stack, PlayerCardEdit* edit)
{
    db::Error result;
    edit->m_firstResult = &result;
    if (stack) {
        stack->push(edit); // deletes it again when it made itself obsolete
    } else {
        edit->redo();
        delete edit;
    }
    return result;
}

void PlayerCardEdit::redo()
{
    finish(write(true));
}

void PlayerCardEdit::undo()
{
    finish(write(false));
}

void PlayerCardEdit::finish(const db::Error& e)
{
    if (m_firstResult) {
        *std::exchange(m_firstResult, nullptr) = e;
    } else if (e) {
        Prompts::showError(nullptr, e.message());
    }
    // A step that cannot be written now never can: it leaves the history.
    setObsolete(e.isError());
}

db::Error PlayerCardEdit::write(bool forward)
{
    db::Database database;
    std::unique_ptr<db::RecordSet> row;
    if (db::Error e = database.open(m_leaguePath))
        return e;
    if (db::Error e =
            db::RecordSet::openRow(database, QStringLiteral("PlayerTable"), m_rowid, &row))
        return e;
    QHash<int, QVariant> values = m_values;
    if (!forward) {
        for (auto it = values.begin(); it != values.end(); ++it)
            it.value() = m_before.value(it.key());
    }
    if (db::Error e = row->updateStored(0, values, forward ? m_before : m_after))
        return e;
    m_rowid = row->key(0);
    if (forward)
        m_after = row->rowValues(0); // as the file stored it: the next undo's check
    if (m_written)
        m_written(m_rowid);
    return {};
}
