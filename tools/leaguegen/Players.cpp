#include "leaguegen/Players.h"

#include "core/db/Schema.h"
#include "leaguegen/Names.h"

#include <algorithm>
#include <array>

namespace leaguegen {

namespace {
struct PositionTraits {
    // One letter per rating 1..24 (SP AG VT AS TA KD KA SC PB RB RD PR TK BT CA
    // PD BC VI AW RE DI PM DU FA): H the position lives on it, M useful, L not.
    const char* profile;
    int minHeight, maxHeight; // inches
    int minWeight, maxWeight; // pounds
    int minJersey, maxJersey;
};

constexpr std::array<PositionTraits, db::schema::PositionCount> traits = {{
    {/* QB */ "MMLHHLLHLLLLLMLLMHHHMHMM", 73, 78, 210, 240, 1, 19},
    {/* HB */ "HHMLLLLMMMLLLHMLHHMMMMMM", 68, 73, 195, 225, 20, 49},
    {/* FB */ "MMLLLLLLHHLLMHMLMMMMMLHM", 71, 74, 230, 255, 30, 49},
    {/* WR */ "HHHLLLLMLLLLLMHLMMMMMHMM", 69, 76, 175, 215, 80, 89},
    {/* TE */ "MMMLLLLLHHLLLMHLMMMMMMHM", 75, 78, 245, 265, 80, 89},
    {/* C  */ "LLLLLLLLHHLLLLLLLMHMMLHM", 74, 77, 295, 320, 50, 79},
    {/* G  */ "LLLLLLLLHHLLLLLLLMMMMLHM", 74, 78, 305, 335, 60, 79},
    {/* T  */ "LMLLLLLLHHLLLLLLLMMMMLHM", 76, 80, 305, 340, 60, 79},
    {/* K  */ "LLLMLHHLLLLLLLLLLLMLHLMM", 70, 75, 180, 215, 1, 19},
    {/* P  */ "LLLMLHHLLLLLLLLLLLMLHLMM", 72, 77, 195, 225, 1, 19},
    {/* DE */ "MMMLLLLLLLHHHLLLLMMMMMHM", 75, 79, 255, 290, 90, 99},
    {/* DT */ "LMLLLLLLLLHHHLLLLMMMMMHM", 74, 78, 295, 330, 90, 99},
    {/* LB */ "MMMLLLLLLLHMHLLHLMHHMMMM", 72, 76, 230, 255, 50, 59},
    {/* CB */ "HHHLLLLLLLLLMLMHLMMHMMMH", 69, 73, 180, 200, 20, 39},
    {/* S  */ "HHMLLLLLLLMLHLMHLMHHMMMM", 70, 74, 195, 215, 20, 49},
}};

int meanFor(char level)
{
    return level == 'H' ? 74 : level == 'M' ? 54 : 34;
}

int clampRating(int value)
{
    return std::clamp(value, 1, 99);
}

// Slot counts per position, QB..S, of a 53-man roster.
constexpr std::array<int, db::schema::PositionCount> rosterCounts = {3, 4, 2, 6, 3, 2, 4, 4,
                                                                     1, 1, 4, 4, 6, 5, 4};
} // namespace

int PlayerMaker::positionOfSlot(int slot)
{
    static const std::array<int, RosterSize> table = [] {
        std::array<int, RosterSize> list{};
        size_t next = 0;
        for (int round = 0; next < list.size(); ++round) {
            for (int pos = 0; pos < db::schema::PositionCount; ++pos) {
                if (round < rosterCounts[size_t(pos)])
                    list[next++] = pos;
            }
        }
        return list;
    }();
    return table[size_t(slot % RosterSize)];
}

PlayerMaker::PlayerMaker(quint32 seed, double nullRatingShare, const QString& leagueName,
                         int season)
    : m_random(seed), m_nullShare(nullRatingShare), m_leagueName(leagueName), m_season(season)
{
    Q_ASSERT(db::schema::playerColumns()[TeamId] == QLatin1String("TeamId"));
}

void PlayerMaker::make(const PlayerPlan& plan, Row& row)
{
    row.assign(db::schema::PlayerColumnCount, Cell());
    makeBody(plan, row);
    makeInjury(row);
    const int age = makeRatings(plan, row);
    makeCareer(age, row);
    blankSomeRatings(plan, row);
}

void PlayerMaker::makeBody(const PlayerPlan& plan, Row& row)
{
    const PositionTraits& t = traits[size_t(plan.position)];
    row[LeagueName] = m_leagueName;
    row[FirstName] = m_random.pick(names::firstNames);
    row[LastName] = m_random.pick(names::lastNames);
    row[PlayerId] = plan.playerId;
    row[CurrentPos] = plan.position;
    row[Height] = m_random.between(t.minHeight, t.maxHeight);
    row[Weight] = m_random.between(t.minWeight, t.maxWeight);
    row[RightHanded] = m_random.chance(0.88) ? 1 : 0;
    row[FreeAgent] = plan.freeAgent ? 1 : 0;
    row[JerseyNum] = m_random.between(t.minJersey, t.maxJersey);
    // A few play away from the position they came into the league at.
    row[NaturalPos] =
        m_random.chance(0.92) ? plan.position : m_random.between(0, db::schema::PositionCount - 1);
    row[TeamId] = plan.teamId;
}

void PlayerMaker::makeInjury(Row& row)
{
    if (!m_random.chance(0.06)) {
        row[InjurySeverity] = 0;
        row[InjuryPoints] = 0;
        row[InjuryWeeksOnList] = 0;
        return; // InjuryType and InjuryLocation stay NULL
    }
    row[InjurySeverity] = m_random.between(1, 4);
    row[InjuryPoints] = m_random.between(1, 100);
    row[InjuryType] = m_random.pick(names::injuryTypes);
    row[InjuryLocation] = m_random.pick(names::injuryLocations);
    row[InjuryWeeksOnList] = m_random.between(1, 10);
}

int PlayerMaker::makeRatings(const PlayerPlan& plan, Row& row)
{
    const bool draftee = plan.teamId == 0 && !plan.freeAgent;
    int age = 0;
    if (draftee)
        age = m_random.between(21, 22);
    else if (plan.freeAgent)
        age = m_random.between(24, 35);
    else
        age = std::min(38, 22 + m_random.between(0, 8) +
                               (m_random.chance(0.35) ? m_random.between(0, 8) : 0));

    // Young players have room to grow; veterans have reached what they are.
    const int growth = age <= 24 ? 14 : age <= 28 ? 7 : 2;
    const int quality = m_random.around(draftee ? -4 : 0, 8);
    const char* profile = traits[size_t(plan.position)].profile;
    for (int n = 1; n <= db::schema::EditableRatingCount; ++n) {
        const int actual = clampRating(m_random.around(meanFor(profile[n - 1]) + quality, 18));
        // Now and then the scouts rate a player's future below his present.
        const int potential = m_random.chance(0.08) ? actual - m_random.between(1, 8)
                                                    : actual + m_random.between(0, 2 * growth);
        row[size_t(actualField(n))] = actual;
        row[size_t(potentialField(n))] = clampRating(potential);
    }
    return age;
}

void PlayerMaker::makeCareer(int age, Row& row)
{
    const bool rookie = row[TeamId].number == 0 && row[FreeAgent].number == 0;
    const int years = rookie ? 0 : std::max(0, age - 22 - m_random.between(0, 2));
    const int withTeam = m_random.between(0, years);
    const int championships = m_random.chance(years * 0.03) ? m_random.between(1, 3) : 0;
    const std::array<int, 6> shownOnly = {age,
                                          years,
                                          clampRating(m_random.around(60, 30)),
                                          championships,
                                          clampRating(m_random.around(55, 35)),
                                          withTeam};
    for (int i = 0; i < int(shownOnly.size()); ++i) {
        const int n = db::schema::EditableRatingCount + 1 + i;
        row[size_t(actualField(n))] = shownOnly[size_t(i)];
        row[size_t(potentialField(n))] = shownOnly[size_t(i)];
    }
    row[AcquireHow] = rookie ? 0 : m_random.between(0, 3); // drafted, trade, signed, undrafted
    row[AcquireWhen] = m_season - withTeam;
    row[RetirementPts] = std::clamp((age - 28) * 8 + m_random.between(0, 15), 0, 100);
}

void PlayerMaker::blankSomeRatings(const PlayerPlan& plan, Row& row)
{
    if (m_nullShare <= 0)
        return;
    const int cells = 2 * db::schema::RatingCount;
    for (int i = 0; i < cells; ++i) {
        if (m_random.chance(m_nullShare)) {
            row[size_t(FirstRating + i)] = Cell();
            ++m_nullCount;
        }
    }
    // Even a tiny league has a blank rating, so the code that meets one is
    // always exercised.
    if (plan.last && m_nullCount == 0)
        row[size_t(FirstRating + m_random.between(0, cells - 1))] = Cell();
}

} // namespace leaguegen
