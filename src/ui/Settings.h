#pragma once

#include <QList>
#include <QString>

// What a stored setting's text holds.
enum class SettingType {
    Text,   // a path or other text as it stands
    Bool,   // "True"/"False" (a number reads too: non-zero is true)
    Count,  // a whole number; a value with a comma reads as its list joined
    Place,  // "left,top,width,height[,maximized]"
    Widths, // "field=width;..."
};

// One stored setting: its INI section and key, what its text holds and what
// an absent key reads as. A setting kept per table or per column has no key
// of its own: the caller names it.
struct Setting {
    QString section;
    QString key;
    SettingType type;
    QString defaultValue;
};

// Every section and key the program stores, in one place.
namespace settings {
extern const Setting League;        // [Settings] mdb: the league file in use
extern const Setting Converter;     // [Settings] Convert: the league converter program
extern const Setting ShowCodes;     // [Settings] ShowCodes: codes instead of their meanings
extern const Setting MainGeometry;  // [MainWindow] Geometry: the client area
extern const Setting MainMaximized; // [MainWindow] Maximized
extern const Setting RecentLeague;  // [RecentLeagues] League1 ... League4
extern const Setting TablePlace;    // [WindowGeometry] <table>: a table window's place
extern const Setting ColumnWidths;  // [ColumnWidths] <table>: a grid's column widths
extern const Setting PlayerColumn;  // [PlayerTable] <column>: whether the column shows
extern const Setting BackupsKeep;   // [Backups] Keep: how many backups of a league are kept
const QList<const Setting*>& all();
} // namespace settings

// A setting's stored text (key: the caller's, for a setting without one), or
// its default when absent.
QString readSetting(const Setting& setting, const QString& key = {});
bool readBoolSetting(const Setting& setting, const QString& key = {});
void writeSetting(const Setting& setting, const QString& value, const QString& key = {});

// The per-user settings store: text values by section and key, under the
// executable's base name. Every write is on disk when writeSetting returns.
QString readSetting(const QString& section, const QString& key, const QString& defaultValue = {});
void writeSetting(const QString& section, const QString& key, const QString& value);

// Reads a stored value as a Boolean: "True"/"False" in any case, or a number
// (non-zero is true). Anything else, absent included, reads as defaultValue.
bool readBoolSetting(const QString& section, const QString& key, bool defaultValue);
QString boolText(bool value); // "True" or "False"

// Sets organisation and application name to the executable's base name and
// the INI format, so a renamed copy starts with empty settings.
void setUpSettingsStore(const QString& executablePath);
