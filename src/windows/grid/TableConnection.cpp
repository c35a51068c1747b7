#include "windows/grid/TableConnection.h"

#include <QLocale>
#include <utility>

using namespace Qt::StringLiterals;

TableConnection::TableConnection(QObject* parent) : QObject(parent) {}

// The record set goes before the connection it reads through (member order).
TableConnection::~TableConnection() = default;

db::Error TableConnection::open()
{
    std::unique_ptr<db::Database> opened;
    db::Database* database = m_database.get();
    if (!database || !database->isOpen() || database->path() != m_leaguePath) {
        opened = std::make_unique<db::Database>();
        if (db::Error e = opened->open(m_leaguePath))
            return e;
        database = opened.get();
    }
    std::unique_ptr<db::RecordSet> recordSet;
    if (db::Error e = db::RecordSet::open(*database, m_tableOrQuery, &recordSet))
        return e;
    // The old record set and connection stay until the listeners have left
    // them; the record set goes first.
    std::unique_ptr<db::Database> oldDatabase;
    if (opened)
        oldDatabase = std::exchange(m_database, std::move(opened));
    const std::unique_ptr<db::RecordSet> old = std::exchange(m_recordSet, std::move(recordSet));
    m_rowsFilteredOut = 0;
    emit recordSetReplaced();
    return {};
}

db::Error TableConnection::requery()
{
    qint64 tableRows = 0;
    db::Error e = m_recordSet->requery();
    if (!e && !m_recordSet->selection().filterTexts().isEmpty())
        e = m_recordSet->countTableRows(&tableRows); // others may have added or deleted rows
    if (!e)
        m_rowsFilteredOut =
            m_recordSet->selection().filterTexts().isEmpty() ? 0 : tableRows - m_recordSet->count();
    return e;
}

void TableConnection::replaceRecordSet(std::unique_ptr<db::RecordSet> recordSet)
{
    // The new set is drawn from the same table: what the filters hide is
    // the table's rows, as last counted, less those it shows.
    if (m_recordSet && recordSet)
        m_rowsFilteredOut = m_recordSet->count() + m_rowsFilteredOut - recordSet->count();
    const std::unique_ptr<db::RecordSet> old = std::exchange(m_recordSet, std::move(recordSet));
    emit recordSetReplaced();
}

QString TableConnection::statusText() const
{
    const db::RecordSet* rs = m_recordSet.get();
    if (!rs)
        return {};
    const QLocale english(QLocale::English);
    const qint64 shown = rs->count();
    const qint64 total = shown + m_rowsFilteredOut;
    const QString rows = total == 1 ? u"row"_s : u"rows"_s;
    QStringList parts{
        rs->selection().filterTexts().isEmpty()
            ? english.toString(shown) + u' ' + rows
            : u"%1 of %2 %3"_s.arg(english.toString(shown), english.toString(total), rows)};
    QStringList filters = rs->selection().filterTexts();
    if (filters.size() > 1) {
        for (QString& f : filters)
            f = u'(' + f + u')';
    }
    if (!filters.isEmpty())
        parts << u"Filter: "_s + filters.join(u" And "_s);
    if (!rs->selection().sortTexts().isEmpty())
        parts << u"Sort: "_s + rs->selection().sortTexts().join(u", "_s);
    return parts.join(u"  |  "_s);
}
