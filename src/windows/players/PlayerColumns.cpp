#include "windows/players/PlayerColumns.h"

#include "ui/Settings.h"

#include <QHash>

namespace players {

namespace {
QString keyForColumn(int index)
{
    using db::schema::PlayerFixedColumnCount;
    if (index == 0)
        return {}; // the league name has no key: it is always shown
    if (index < PlayerFixedColumnCount)
        return QStringLiteral("Item") + QString::number(index);
    // Ratings stand in pairs from column 20 on: actual even, potential odd.
    return index % 2 == 0 ? QStringLiteral("Actual") : QStringLiteral("Potential");
}

QString captionForColumn(int index, const QString& field)
{
    using db::schema::PlayerFixedColumnCount;
    if (index < PlayerFixedColumnCount)
        return field;
    const int pair = (index - PlayerFixedColumnCount) / 2;
    const QString& shortName = db::schema::rating(pair + 1).shortName;
    return index % 2 == 0 ? shortName : shortName + QStringLiteral("_P");
}
// A rating's full name and the field it shows: "Speed (RATING1)",
// "Potential Speed (RATING_POT1)". Ratings without a known name keep their
// short one.
QString toolTipForColumn(int index, const QString& field)
{
    using db::schema::PlayerFixedColumnCount;
    if (index < PlayerFixedColumnCount)
        return field;
    const db::schema::Rating& r = db::schema::rating((index - PlayerFixedColumnCount) / 2 + 1);
    const QString name = r.attribute.isEmpty() ? r.shortName : r.attribute;
    const QString shown = index % 2 == 0 ? name : QStringLiteral("Potential ") + name;
    return shown + QStringLiteral(" (") + field + QLatin1Char(')');
}
} // namespace

const std::vector<PlayerColumn>& playerGridColumns()
{
    static const std::vector<PlayerColumn> columns = [] {
        const QStringList& fields = db::schema::playerColumns();
        std::vector<PlayerColumn> list;
        list.reserve(static_cast<size_t>(fields.size()));
        for (int i = 0; i < fields.size(); ++i)
            list.push_back({captionForColumn(i, fields[i]), fields[i], keyForColumn(i),
                            toolTipForColumn(i, fields[i])});
        return list;
    }();
    return columns;
}

QString settingsSection()
{
    return settings::PlayerColumn.section;
}

const QStringList& columnSettingKeys()
{
    static const QStringList keys = [] {
        QStringList list;
        for (int i = 1; i < db::schema::PlayerFixedColumnCount; ++i)
            list << keyForColumn(i);
        list << keyForColumn(db::schema::PlayerFixedColumnCount)
             << keyForColumn(db::schema::PlayerFixedColumnCount + 1);
        return list;
    }();
    return keys;
}

ColumnChoice storedColumnChoice()
{
    QHash<QString, bool> shown;
    for (const QString& key : columnSettingKeys())
        shown.insert(key, readBoolSetting(settingsSection(), key, true));

    ColumnChoice choice{};
    const auto& columns = playerGridColumns();
    for (size_t i = 0; i < columns.size(); ++i)
        choice[i] = columns[i].key.isEmpty() || shown.value(columns[i].key);
    return choice;
}

} // namespace players
