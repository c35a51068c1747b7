#pragma once

#include <QDir>
#include <QString>
#include <utility>

struct sqlite3;

namespace db {

// The program's own error numbers. Engine errors keep SQLite's result code
// (1..255 and extended codes); ours start at 1000 so they never collide.
// Numbers only the shell or the generator give live in their own modules
// (shell/StartProgram.h, leaguegen/LeagueGenerator.h), from this range.
enum ErrorNumber : int {
    NoError = 0,
    FileNotFound = 53,         // kept from the old platform: "file not found"
    NoLeagueFileChosen = 1001, // no league path was given
    NotAFile = 1002,           // a folder or device where the league should be
    NotSQLite = 1003,          // text, an empty file, anything foreign
    AccessFile = 1004,         // a Jet/Access .mdb that was never converted
    MissingTable = 1005,       // one of the seven league tables is absent
    MissingField = 1006,       // PlayerTable lacks a column the program needs
    WriteSkipped = 1007,       // the table skipped a write (a constraint or trigger)
    RowVanished = 1008,        // the row a write or delete addresses is gone or replaced
    ValueDoesNotFit = 1009,    // a typed value does not fit its field
    ExpressionSyntax = 1010,   // a sort or filter that does not parse
    UnknownField = 1011,       // a sort or filter names a field the record set lacks
    ExpressionType = 1012,     // a sort or filter compares incompatible things
    ExpressionTooLong = 1013,  // input over the length or nesting cap
    NotANumber = 1014,         // a box that must hold a decimal number does not
    ReadOnlyRecordSet = 1015,  // a table without rowid cannot be edited
    TeamNotInLeague = 1017,    // the chosen team is not (or no longer) in the Team table
    Cancelled = 1018,          // the user stopped the work before it was done
    WriteFailed = 1041,        // a file could not be written, moved or removed
    LeagueChanged = 1042,      // an undo finds the league changed since its command
    IsLeagueFile = 1060,       // a file to write is a held league, its journal or a backup
};

// One error value crosses every layer: a number and a description.
struct Error {
    int number = NoError;
    QString description;

    Error() = default;
    Error(int n, QString text) : number(n), description(std::move(text)) {}

    bool isError() const { return number != NoError; }
    explicit operator bool() const { return isError(); }

    // The program's standard wording: "Error:" + number + " " + description.
    QString message() const { return message(number, description); }
    static QString message(int number, const QString& description)
    {
        return QStringLiteral("Error:") + QString::number(number) + QLatin1Char(' ') + description;
    }
};

// SQLite's result code and text, worded as the rest of the program words
// them: a lock, a read-only file or a foreign file says what the user can do.
Error engineError(int code, const QString& engineText);
// The last error on a connection.
Error engineError(sqlite3* handle);

// A name in a message, in double quotes: "PlayerTable".
inline QString quotedText(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}
// A file in a message, in double quotes and the system's own separators.
inline QString quotedPath(const QString& path)
{
    return quotedText(QDir::toNativeSeparators(path));
}

} // namespace db
