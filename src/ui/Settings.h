#pragma once

#include <QString>

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
