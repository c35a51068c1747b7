#include "db/SqlExtensions.h"

#include <QString>
#include <sqlite3.h>

namespace db {

namespace {
int compareNoCase(void*, int lengthA, const void* a, int lengthB, const void* b)
{
    const QString left = QString::fromUtf8(static_cast<const char*>(a), lengthA);
    const QString right = QString::fromUtf8(static_cast<const char*>(b), lengthB);
    return QString::compare(left, right, Qt::CaseInsensitive);
}
} // namespace

void registerExtensions(sqlite3* handle)
{
    if (!handle)
        return;
    sqlite3_create_collation_v2(handle, "YM_NOCASE", SQLITE_UTF8, nullptr, compareNoCase, nullptr);
}

} // namespace db
