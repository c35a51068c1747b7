#include "core/db/Statement.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <sqlite3.h>

namespace db {

namespace {
// A null QString or QByteArray is NULL, as an empty one is the empty text.
bool isNullValue(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString().isNull();
    case QMetaType::QByteArray:
        return value.toByteArray().isNull();
    default:
        return value.isNull();
    }
}
} // namespace

Statement::Statement(sqlite3* handle, const QString& sql)
{
    prepare(handle, sql);
}

Statement::~Statement()
{
    finalize();
}

void Statement::finalize()
{
    sqlite3_finalize(m_stmt);
    m_stmt = nullptr;
}

Error Statement::prepare(sqlite3* handle, const QString& sql)
{
    finalize();
    m_handle = handle;
    m_error = {};
    if (!handle) {
        m_error = {SQLITE_MISUSE, QStringLiteral("The league file is not open.")};
        return m_error;
    }
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(handle, text.constData(), int(text.size()), &m_stmt, nullptr) !=
        SQLITE_OK)
        m_error = engineError(handle);
    return m_error;
}

Error Statement::bind(int position, const QVariant& value)
{
    if (m_error)
        return m_error;
    int rc = SQLITE_OK;
    if (isNullValue(value)) {
        rc = sqlite3_bind_null(m_stmt, position);
    } else {
        switch (value.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
        case QMetaType::UShort:
            rc = sqlite3_bind_int64(m_stmt, position, value.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(m_stmt, position, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            rc = sqlite3_bind_blob64(m_stmt, position, bytes.constData(), bytes.size(),
                                     SQLITE_TRANSIENT);
            break;
        }
        default: {
            QString text;
            if (value.typeId() == QMetaType::QDate)
                text = value.toDate().toString(Qt::ISODate);
            else if (value.typeId() == QMetaType::QDateTime)
                text = value.toDateTime().toString(Qt::ISODate);
            else
                text = value.toString();
            const QByteArray utf8 = text.toUtf8();
            rc = sqlite3_bind_text64(m_stmt, position, utf8.constData(), utf8.size(),
                                     SQLITE_TRANSIENT, SQLITE_UTF8);
            break;
        }
        }
    }
    if (rc != SQLITE_OK)
        m_error = engineError(m_handle);
    return m_error;
}

Error Statement::bind(const QVariantList& values, int first)
{
    for (int i = 0; i < values.size() && !m_error; ++i)
        bind(first + i, values.at(i));
    return m_error;
}

void Statement::bindNull(int position)
{
    sqlite3_bind_null(m_stmt, position);
}

void Statement::bindInt64(int position, qint64 value)
{
    sqlite3_bind_int64(m_stmt, position, value);
}

void Statement::bindDouble(int position, double value)
{
    sqlite3_bind_double(m_stmt, position, value);
}

void Statement::bindText(int position, const QByteArray& utf8)
{
    sqlite3_bind_text64(m_stmt, position, utf8.constData(), utf8.size(), SQLITE_TRANSIENT,
                        SQLITE_UTF8);
}

void Statement::bindUtf8(int position, std::string_view utf8)
{
    // SQLite binds a null pointer as NULL.
    sqlite3_bind_text64(m_stmt, position, utf8.data() ? utf8.data() : "", utf8.size(),
                        SQLITE_TRANSIENT, SQLITE_UTF8);
}

void Statement::bindBlob(int position, std::string_view bytes)
{
    sqlite3_bind_blob64(m_stmt, position, bytes.data() ? bytes.data() : "", bytes.size(),
                        SQLITE_TRANSIENT);
}

bool Statement::next()
{
    if (m_error || !m_stmt)
        return false;
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        m_error = engineError(m_handle);
    return false;
}

Error Statement::run()
{
    while (next()) {
    }
    reset();
    return m_error;
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
}

int Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

Statement::Type Statement::type(int column) const
{
    static_assert(int(Type::Integer) == SQLITE_INTEGER && int(Type::Real) == SQLITE_FLOAT &&
                  int(Type::Text) == SQLITE_TEXT && int(Type::Blob) == SQLITE_BLOB &&
                  int(Type::Null) == SQLITE_NULL);
    return Type(sqlite3_column_type(m_stmt, column));
}

qint64 Statement::int64(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

double Statement::real(int column) const
{
    return sqlite3_column_double(m_stmt, column);
}

std::string_view Statement::utf8(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return {text ? text : "", size_t(sqlite3_column_bytes(m_stmt, column))};
}

sqlite3_value* Statement::sqliteValue(int column) const
{
    return sqlite3_column_value(m_stmt, column);
}

QString Statement::text(int column) const
{
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column)),
                             sqlite3_column_bytes(m_stmt, column));
}

QVariant Statement::value(int column) const
{
    switch (type(column)) {
    case Type::Integer:
        return QVariant(qlonglong(int64(column)));
    case Type::Real:
        return QVariant(real(column));
    case Type::Text:
        return text(column);
    case Type::Blob:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(m_stmt, column)),
                          sqlite3_column_bytes(m_stmt, column));
    case Type::Null:
        break;
    }
    return {};
}

QString quoteIdentifier(const QString& name)
{
    QString inner = name;
    inner.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

} // namespace db
