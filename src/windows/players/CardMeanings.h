#pragma once

#include "core/db/Meanings.h"

#include <QObject>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>

namespace db {
class Database;
}
class LeagueMeanings;
class SharedMeanings;
class QLineEdit;
class QWidget;

// What the player card shows of its coded values (CurrentPos, NaturalPos,
// TeamId) and how they are picked: by name from a drop-down, or typed as a
// name or a stored value; a code that means nothing is asked about first.
// Shares the league's meanings with the grids and follows Show Codes.
class CardMeanings : public QObject
{
    Q_OBJECT
public:
    // picked(column, name) hands a name chosen from a drop-down to the card.
    CardMeanings(QWidget* card, SharedMeanings* shared,
                 std::function<void(int, const QString&)> picked);
    // The area's: each league's names, and Show Codes.
    SharedMeanings* shared() const { return m_areaMeanings; }

    void setLeague(db::Database& database);
    // The box a player column's value is edited in: for a coded column, its
    // line edit inside a drop-down of names; else the line edit itself.
    QWidget* boxFor(QLineEdit* edit, int column);
    // What a coded column shows of a stored value; none: the value as stored
    // (no code, or Show Codes on).
    std::optional<db::Meaning> meaning(int column, const QVariant& stored) const;
    // The text to store for what was typed or picked: a name becomes its code.
    // None when the name is unknown (a message says so) or the user declines
    // to store a code that means nothing.
    std::optional<QString> storedText(int column, const QString& typed, const QVariant& now);
    // The card saved rows of PlayerTable through database.
    void written(db::Database& database);

signals:
    // The meanings or Show Codes changed: the card shows its values anew.
    void changed();

private:
    db::CodeKind kindOf(int column) const;

    QWidget* m_card;
    std::function<void(int, const QString&)> m_picked;
    SharedMeanings* m_areaMeanings;
    std::shared_ptr<LeagueMeanings> m_shared;
    bool m_asking = false;
};
