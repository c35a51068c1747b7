#include "core/writeback/AccessRows.h"

#include "core/import/Source.h"

#include <QDataStream>
#include <cmath>

namespace writeback {

namespace {
class CollectSink final : public import::RowSink
{
public:
    CollectSink(int columns, const Alive& alive, AccessRows& rows)
        : m_values(columns), m_alive(alive), m_rows(rows)
    {
    }

    void setPlace(quint32 page, int row) override { m_place = {page, quint16(row)}; }
    void setNull(int column) override { m_values[column] = QVariant(); }
    void setInteger(int column, qint64 value) override { m_values[column] = qlonglong(value); }
    void setReal(int column, double value) override
    {
        m_values[column] = std::isnan(value) ? QVariant() : QVariant(value);
    }
    void setText(int column, std::string_view utf8) override
    {
        m_values[column] = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    }
    void setBlob(int column, std::string_view bytes) override
    {
        m_values[column] = QByteArray(bytes.data(), qsizetype(bytes.size()));
    }
    db::Error endRow() override
    {
        m_rows.order << m_place;
        m_rows.values.insert(m_place, m_values);
        m_alive();
        return {};
    }

private:
    QVariantList m_values;
    import::RowPlace m_place;
    const Alive& m_alive;
    AccessRows& m_rows;
};

QDataStream& operator<<(QDataStream& out, const import::RowPlace& p)
{
    return out << p.page << p.row;
}
QDataStream& operator>>(QDataStream& in, import::RowPlace& p)
{
    return in >> p.page >> p.row;
}
} // namespace

db::Error readAccessRows(import::Source& source, int index, const Alive& alive, AccessRows* rows)
{
    *rows = {};
    CollectSink sink(int(source.tables()[index].columns.size()), alive, *rows);
    return source.readRows(index, sink);
}

QByteArray planBytes(const Plan& plan)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << plan.cells << plan.rows << plan.tables << qint64(plan.listed.size());
    for (const Unwritable& u : plan.listed)
        out << u.table << u.key << u.column << u.value << u.why;
    out << qint64(plan.patches.size());
    for (const Patch& p : plan.patches)
        out << p.offset << p.bytes;
    out << qint64(plan.written.size());
    for (const WrittenCell& w : plan.written)
        out << qint32(w.table) << w.place << qint32(w.column) << w.null << w.bytes;
    out << qint64(plan.digests.size());
    for (const auto& digests : plan.digests) {
        out << qint64(digests.size());
        for (auto it = digests.cbegin(); it != digests.cend(); ++it)
            out << it.key() << quint64(it.value());
    }
    return bytes;
}

Plan planFromBytes(const QByteArray& bytes)
{
    Plan plan;
    QDataStream in(bytes);
    qint64 count = 0;
    in >> plan.cells >> plan.rows >> plan.tables >> count;
    for (qint64 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        Unwritable u;
        in >> u.table >> u.key >> u.column >> u.value >> u.why;
        plan.listed << u;
    }
    in >> count;
    for (qint64 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        Patch p;
        in >> p.offset >> p.bytes;
        plan.patches << p;
    }
    in >> count;
    for (qint64 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        WrittenCell w;
        qint32 table = 0;
        qint32 column = 0;
        in >> table >> w.place >> column >> w.null >> w.bytes;
        w.table = table;
        w.column = column;
        plan.written << w;
    }
    in >> count;
    for (qint64 t = 0; t < count && in.status() == QDataStream::Ok; ++t) {
        qint64 rows = 0;
        in >> rows;
        QHash<import::RowPlace, size_t> digests;
        digests.reserve(rows);
        for (qint64 r = 0; r < rows && in.status() == QDataStream::Ok; ++r) {
            import::RowPlace place;
            quint64 digest = 0;
            in >> place >> digest;
            digests.insert(place, size_t(digest));
        }
        plan.digests << digests;
    }
    return plan;
}

} // namespace writeback
