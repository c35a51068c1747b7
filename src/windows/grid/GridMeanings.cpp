#include "windows/grid/GridMeanings.h"

#include "core/db/Database.h"
#include "ui/Prompts.h"
#include "windows/grid/LeagueMeanings.h"
#include "windows/grid/RecordSetModel.h"
#include "windows/grid/SharedMeanings.h"

#include <QFont>
#include <QTimer>
#include <QWidget>
#include <algorithm>

using namespace Qt::StringLiterals;

GridMeanings::GridMeanings(RecordSetModel* model, QWidget* window, SharedMeanings* shared)
    : QObject(model), m_model(model), m_window(window), m_areaMeanings(shared),
      m_showCodes(shared->showsCodes())
{
    model->setShownValues(this);
    connect(shared, &SharedMeanings::showCodesChanged, this, &GridMeanings::setShowCodes);
    connect(model, &QAbstractItemModel::modelReset, this, &GridMeanings::attach);
    connect(model, &RecordSetModel::rowsWritten, this, [this](const RowChange& change) {
        if (m_shared && m_model->recordSet())
            m_shared->tableWritten(m_model->recordSet()->database(), change.table);
    });
    attach();
}

GridMeanings::~GridMeanings()
{
    m_model->setShownValues(nullptr);
}

void GridMeanings::attach()
{
    db::RecordSet* rs = m_model->recordSet();
    m_playerPages.clear();
    if (!rs) {
        m_kinds.clear();
        return;
    }
    std::shared_ptr<LeagueMeanings> shared = m_areaMeanings->forLeague(rs->database().path());
    if (shared != m_shared) {
        if (m_shared)
            disconnect(m_shared.get(), nullptr, this, nullptr);
        m_shared = std::move(shared);
        connect(m_shared.get(), &LeagueMeanings::changed, this, &GridMeanings::showAnew);
    }
    rebuildColumns();
    // A filter may name a position or a team instead of its code.
    for (int field = 0; field < rs->fields().count(); ++field) {
        const db::CodeKind kind = db::codeKindOf(rs->table(), rs->fields().name(field));
        if (kind == db::CodeKind::None || kind == db::CodeKind::Player)
            continue;
        std::weak_ptr<LeagueMeanings> meanings = m_shared;
        rs->fields().setCodes(field, db::LeagueLookup::noun(kind),
                              [meanings, kind](const QString& name) -> std::optional<qint64> {
                                  const auto shared = meanings.lock();
                                  return shared ? shared->lookup().codeNamed(kind, name)
                                                : std::nullopt;
                              });
    }
    m_shared->update(rs->database());
}

void GridMeanings::rebuildColumns()
{
    const db::RecordSet* rs = m_model->recordSet();
    m_kinds.fill(db::CodeKind::None, m_model->columnCount());
    m_fields.clear();
    for (int column = 0; column < m_kinds.size(); ++column) {
        m_fields << m_model->fieldNameOfColumn(column);
        if (!m_fields.last().isEmpty())
            m_kinds[column] = db::codeKindOf(rs->table(), m_fields.last());
    }
}

void GridMeanings::showAnew()
{
    m_playerPages.clear();
    const int rows = m_model->rowCount();
    const int columns = m_model->columnCount();
    if (rows > 0 && columns > 0)
        emit m_model->dataChanged(m_model->index(0, 0), m_model->index(rows - 1, columns - 1));
}

void GridMeanings::setShowCodes(bool on)
{
    if (on == m_showCodes)
        return;
    m_showCodes = on;
    showAnew();
    if (m_model->columnCount() > 0)
        emit m_model->headerDataChanged(Qt::Horizontal, 0, m_model->columnCount() - 1);
}

db::CodeKind GridMeanings::shownKind(int column) const
{
    return m_showCodes || !m_shared ? db::CodeKind::None
                                    : m_kinds.value(column, db::CodeKind::None);
}

void GridMeanings::readPlayerPage(int row) const
{
    const int page = row / db::PageCache::PageSize;
    if (m_playerPages.contains(page))
        return;
    m_playerPages.insert(page);
    db::RecordSet* rs = m_model->recordSet();
    const int end = std::min(rs->count(), (page + 1) * db::PageCache::PageSize);
    QList<qint64> ids;
    for (int column = 0; column < m_kinds.size(); ++column) {
        if (m_kinds.at(column) != db::CodeKind::Player)
            continue;
        for (int r = page * db::PageCache::PageSize; r < end; ++r) {
            if (const std::optional<qint64> id = db::codeOf(m_model->storedValue(r, column)))
                ids << *id;
        }
    }
    // A league without player names shows the ids as stored.
    m_shared->lookup().readPlayers(rs->database(), ids);
}

db::Meaning GridMeanings::meaningAt(const QModelIndex& index) const
{
    const db::CodeKind kind = m_kinds.at(index.column());
    if (kind == db::CodeKind::Player && index.row() < m_model->recordSet()->count())
        readPlayerPage(index.row());
    return m_shared->lookup().meaning(kind, m_fields.at(index.column()),
                                      m_model->storedValue(index.row(), index.column()));
}

std::optional<QVariant> GridMeanings::data(const QModelIndex& index, int role) const
{
    const db::CodeKind kind = shownKind(index.column());
    if (kind == db::CodeKind::None)
        return std::nullopt;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::TextAlignmentRole: {
        const db::Meaning meaning = meaningAt(index);
        if (!meaning.known)
            return std::nullopt; // as stored
        return role == Qt::DisplayRole ? QVariant(meaning.text) : QVariant();
    }
    case Qt::ToolTipRole:
        return meaningAt(index).toolTip;
    case Qt::FontRole: {
        if (meaningAt(index).known)
            return std::nullopt;
        QFont apart;
        apart.setItalic(true);
        return apart;
    }
    case ChoicesRole: {
        QStringList names;
        for (const db::CodeChoice& choice : m_shared->lookup().choices(kind))
            names << choice.name;
        return names;
    }
    default:
        return std::nullopt;
    }
}

QString GridMeanings::headerToolTip(int column, const QString& tip) const
{
    return shownKind(column) == db::CodeKind::None ? tip : tip + u" (sorted by stored value)"_s;
}

bool GridMeanings::setByName(const QModelIndex& index, const QString& text)
{
    const db::CodeKind kind = shownKind(index.column());
    if (m_asking || kind == db::CodeKind::None)
        return false;
    const QString field = m_model->fieldNameOfColumn(index.column());
    const QString typed = text.trimmed();
    bool whole = false;
    typed.toLongLong(&whole);
    QString stored = typed;
    if (!typed.isEmpty() && !whole) {
        const std::optional<qint64> code = m_shared->lookup().codeNamed(kind, typed);
        if (!code) {
            // After the editor has gone, so the box cannot take its focus.
            const QString why = u"No %1 is named %2. Pick one from the list, or type its %3."_s.arg(
                db::LeagueLookup::noun(kind), db::quotedText(typed), field);
            QTimer::singleShot(0, m_window,
                               [window = m_window, why] { Prompts::refuse(window, why); });
            return false;
        }
        stored = QString::number(*code);
    }
    if (stored == m_model->data(index, Qt::EditRole).toString())
        return true; // the same code: nothing changes
    const QVariant code = stored.isEmpty() ? QVariant() : QVariant(stored.toLongLong());
    if (!stored.isEmpty() && !m_shared->lookup().meaning(kind, field, code).known) {
        // The file may hold any value; a code that means nothing is asked about.
        m_asking = true;
        const bool store = Prompts::ask(
            m_window, db::LeagueLookup::noneHas(kind, field, code) + u" Store it anyway?"_s,
            QMessageBox::No);
        m_asking = false;
        if (!store)
            return false;
    }
    return m_model->setData(index, stored, Qt::EditRole);
}

void GridMeanings::addShownCodes(db::FindRequest& request, const QList<int>& columns) const
{
    db::RecordSet* rs = m_model->recordSet();
    for (int column : columns) {
        const db::CodeKind kind = shownKind(column);
        QList<qint64> codes;
        if (kind == db::CodeKind::None ||
            m_shared->lookup().codesShowing(rs->database(), kind, request.text, request.matchCase,
                                            &codes))
            continue;
        if (!codes.isEmpty())
            request.codes.append({m_model->fieldOfColumn(column), codes});
    }
}

QList<db::ShownAs> GridMeanings::shownAs(const QList<int>& columns) const
{
    QList<db::ShownAs> shown;
    for (int column : columns) {
        const db::CodeKind kind = shownKind(column);
        if (kind == db::CodeKind::None) {
            shown.append(nullptr);
            continue;
        }
        if (kind == db::CodeKind::Player)
            m_shared->lookup().readAllPlayers(m_model->recordSet()->database());
        shown.append([shared = m_shared, kind,
                      field = m_model->fieldNameOfColumn(column)](const QVariant& stored) {
            return shared->lookup().meaning(kind, field, stored).text;
        });
    }
    return shown;
}

void GridMeanings::reread()
{
    if (m_shared && m_model->recordSet())
        m_shared->reread(m_model->recordSet()->database());
}
