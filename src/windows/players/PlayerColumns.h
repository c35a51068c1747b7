#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

#include "core/db/Schema.h"

// The player grid's 80 fixed columns and the stored choice of which of them
// show. The choice lives in section "PlayerTable" under 21 keys.
namespace players {

struct PlayerColumn {
    QString caption; // "FirstName", "SP", "SP_P", ...
    QString field;   // the PlayerTable field it is bound to
    QString key;     // the key that shows or hides it; empty: always shown
    QString toolTip; // the header's tooltip: the rating's full name
};

// By grid index 0..79.
const std::vector<PlayerColumn>& playerGridColumns();

// The settings section and its 21 keys, "Item1" .. "Item19", "Actual",
// "Potential", in the order the settings dialog reads them.
QString settingsSection();
const QStringList& columnSettingKeys();

using ColumnChoice = std::array<bool, db::schema::PlayerColumnCount>;
// Which columns the stored keys show, by grid index. An absent key, or text
// that is neither a Boolean nor a number, shows its columns.
ColumnChoice storedColumnChoice();

} // namespace players
