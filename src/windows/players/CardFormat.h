#pragma once

#include <QStringList>

class QLabel;
class QTableWidgetItem;
class QVariant;
class QWidget;

// How the player card words and marks what it shows.
namespace cardformat {

// Names a change the way Edit > Undo lists it: a few fields, then a count.
QString describeChange(const QStringList& captions, const QString& playerName);
// "InjuryWeeksOnList" -> "Injury Weeks On List".
QString spacedName(const QString& field);
// A value as stored: a real keeps a decimal point, so 45.0 does not pass for
// the whole number 45; binary data has no text form.
QString textOf(const QVariant& value);
// How a value is stored, for its tool tip.
QString storageOf(const QVariant& value);
// A label with an objectName and an accessible name.
QLabel* addLabel(QWidget* parent, const QString& name, const QString& text);
// Marks a changed value bold on the window's base tinted amber, or unmarks it.
void markChanged(QWidget* edit, bool changed);
void markChanged(QTableWidgetItem* item, bool changed);

} // namespace cardformat
