#include "core/db/Error.h"

#include <sqlite3.h>

namespace db {

namespace {
// Where the primary result code would only say "read-only", the extended
// one names the cause and what the user can do about it.
struct ExtendedCause {
    int code;
    const char* text;
};
constexpr ExtendedCause extendedCauses[] = {
    {SQLITE_READONLY_DBMOVED,
     "The league file was deleted, moved or replaced by another program while this window had "
     "it open, so nothing was saved. Close the window and open the league again."},
    {SQLITE_READONLY_ROLLBACK,
     "The league file holds a change that another program left unfinished (a journal file lies "
     "beside it), and it cannot be undone because the league's folder cannot be written. Make "
     "the folder writable, then open the league again; nothing was changed."},
    {SQLITE_READONLY_DIRECTORY,
     "The league's folder cannot be written, and a change needs a journal file there; nothing "
     "was changed. Make the folder writable and try again."},
};

} // namespace

Error engineError(int code, const QString& engine)
{
    if (code == 0)
        code = SQLITE_ERROR;
    QString text;
    for (const ExtendedCause& cause : extendedCauses) {
        if (code == cause.code)
            return {code, QString::fromUtf8(cause.text)};
    }
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        text = QStringLiteral("The league file is locked by another program; nothing was changed. "
                              "Close the league there and try again.");
        break;
    case SQLITE_READONLY:
        text = QStringLiteral("The league file is read-only, so the change cannot be saved (%1).")
                   .arg(engine);
        break;
    case SQLITE_NOTADB:
        text = QStringLiteral("The file is not a league database (%1).").arg(engine);
        break;
    case SQLITE_CANTOPEN:
        text = QStringLiteral("The league file cannot be opened (%1).").arg(engine);
        break;
    default:
        text = engine;
        break;
    }
    return {code, text};
}

Error engineError(sqlite3* handle)
{
    if (!handle)
        return {SQLITE_MISUSE, QStringLiteral("The league file is not open.")};
    return engineError(sqlite3_extended_errcode(handle), QString::fromUtf8(sqlite3_errmsg(handle)));
}

} // namespace db
