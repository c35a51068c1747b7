#pragma once

#include <QString>
#include <QStringList>
#include <array>

// What the program knows of a league file: its seven tables, the 80
// PlayerTable columns, the 30 ratings and the 15 positions.
namespace db::schema {

// The seven league tables, in the order Clear Database empties them.
const QStringList& leagueTables();

inline constexpr int PositionCount = 15;
// Position abbreviations by index; the index is PlayerTable.CurrentPos.
const QStringList& positions();

inline constexpr int RatingCount = 30;
inline constexpr int EditableRatingCount = 24; // the global edit changes 1..24 only

struct Rating {
    int number;        // 1..30
    QString shortName; // "SP", ... "YF"
    QString attribute; // "Speed", ... ; empty for the shown-only 25..30
};
const Rating& rating(int number); // 1-based
// The edited ratings by number, in the order the global edit dialog lays
// them out (three rows of eight, left to right); the player card lists them
// in the same order.
inline constexpr std::array<int, EditableRatingCount> EditOrder = {
    1, 2, 3, 24, 23, 21, 20, 22, 4, 5, 8, 19, 17, 14, 18, 15, 9, 10, 12, 16, 13, 11, 7, 6};
QString actualColumn(int number);    // "RATING7"
QString potentialColumn(int number); // "RATING_POT7"

// The first 20 PlayerTable columns, then RATING1, RATING_POT1, ... RATING_POT30:
// exactly 80 names in the player grid's column order.
inline constexpr int PlayerColumnCount = 80;
inline constexpr int PlayerFixedColumnCount = 20;
const QStringList& playerColumns();

// Index of the player column with this name, ignoring case; -1 when none.
int playerColumnIndex(const QString& name);

} // namespace db::schema
