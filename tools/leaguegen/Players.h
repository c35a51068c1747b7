#pragma once

#include "leaguegen/Random.h"
#include "leaguegen/Tables.h"

namespace leaguegen {

// Where a player stands in the league, decided before his row is made.
struct PlayerPlan {
    qint64 playerId = 0;
    qint64 teamId = 0;      // 0: college draft or free agent
    bool freeAgent = false; // only with teamId 0
    int position = 0;       // index into db::schema::positions()
    bool last = false;      // the league's last player
};

// Makes PlayerTable rows (all 80 columns, in db::schema::playerColumns()
// order) whose ratings fit the player's position.
class PlayerMaker
{
public:
    enum Field {
        LeagueName,
        FirstName,
        LastName,
        PlayerId,
        AcquireHow,
        AcquireWhen,
        CurrentPos,
        Height,
        Weight,
        RightHanded,
        FreeAgent,
        InjurySeverity,
        InjuryPoints,
        InjuryType,
        InjuryLocation,
        InjuryWeeksOnList,
        JerseyNum,
        NaturalPos,
        RetirementPts,
        TeamId,
        FirstRating
    };
    static int actualField(int rating) { return FirstRating + 2 * (rating - 1); }
    static int potentialField(int rating) { return actualField(rating) + 1; }

    // A 53-man roster's positions; slot 0..14 hold one of each position, so
    // any league of 15 players or more has every position.
    static constexpr int RosterSize = 53;
    static int positionOfSlot(int slot);

    PlayerMaker(quint32 seed, double nullRatingShare, const QString& leagueName, int season);

    void make(const PlayerPlan& plan, Row& row);

private:
    void makeBody(const PlayerPlan& plan, Row& row);
    void makeInjury(Row& row);
    int makeRatings(const PlayerPlan& plan, Row& row); // returns the age
    void makeCareer(int age, Row& row);
    void blankSomeRatings(const PlayerPlan& plan, Row& row);

    Random m_random;
    double m_nullShare;
    Cell m_leagueName;
    int m_season;
    qint64 m_nullCount = 0;
};

} // namespace leaguegen
