#include "core/db/Schema.h"

namespace db::schema {

const QStringList& leagueTables()
{
    static const QStringList tables = {QStringLiteral("Conference"), QStringLiteral("FreeAgents"),
                                       QStringLiteral("League"),     QStringLiteral("PlayerTable"),
                                       QStringLiteral("Roster"),     QStringLiteral("Schedule"),
                                       QStringLiteral("Team")};
    return tables;
}

const QStringList& positions()
{
    static const QStringList list =
        QStringLiteral("QB HB FB WR TE C G T K P DE DT LB CB S").split(QLatin1Char(' '));
    return list;
}

namespace {
const std::array<Rating, RatingCount>& ratings()
{
    static const std::array<Rating, RatingCount> table = {{
        {1, QStringLiteral("SP"), QStringLiteral("Speed")},
        {2, QStringLiteral("AG"), QStringLiteral("Agility")},
        {3, QStringLiteral("VT"), QStringLiteral("Vertical Jump")},
        {4, QStringLiteral("AS"), QStringLiteral("Arm Strength")},
        {5, QStringLiteral("TA"), QStringLiteral("Throw Accuracy")},
        {6, QStringLiteral("KD"), QStringLiteral("Kick Distance")},
        {7, QStringLiteral("KA"), QStringLiteral("Kick Accuracy")},
        {8, QStringLiteral("SC"), QStringLiteral("Scrambling")},
        {9, QStringLiteral("PB"), QStringLiteral("Pass Blocking")},
        {10, QStringLiteral("RB"), QStringLiteral("Run Blocking")},
        {11, QStringLiteral("RD"), QStringLiteral("Run Defense")},
        {12, QStringLiteral("PR"), QStringLiteral("Pass Rushing")},
        {13, QStringLiteral("TK"), QStringLiteral("Tackling")},
        {14, QStringLiteral("BT"), QStringLiteral("Break Tackle")},
        {15, QStringLiteral("CA"), QStringLiteral("Catching")},
        {16, QStringLiteral("PD"), QStringLiteral("Pass Defense")},
        {17, QStringLiteral("BC"), QStringLiteral("Ball Carrying")},
        {18, QStringLiteral("VI"), QStringLiteral("Vision")},
        {19, QStringLiteral("AW"), QStringLiteral("Awareness")},
        {20, QStringLiteral("RE"), QStringLiteral("Reading")},
        {21, QStringLiteral("DI"), QStringLiteral("Discipline")},
        {22, QStringLiteral("PM"), QStringLiteral("Playmaking")},
        {23, QStringLiteral("DU"), QStringLiteral("Durability")},
        {24, QStringLiteral("FA"), QStringLiteral("Fatigue")},
        {25, QStringLiteral("Age"), QString()},
        {26, QStringLiteral("YN"), QString()},
        {27, QStringLiteral("ATT"), QString()},
        {28, QStringLiteral("CHP"), QString()},
        {29, QStringLiteral("TL"), QString()},
        {30, QStringLiteral("YF"), QString()},
    }};
    return table;
}
} // namespace

const Rating& rating(int number)
{
    Q_ASSERT(number >= 1 && number <= RatingCount);
    return ratings()[static_cast<size_t>(number - 1)];
}

QString actualColumn(int number)
{
    return QStringLiteral("RATING") + QString::number(number);
}

QString potentialColumn(int number)
{
    return QStringLiteral("RATING_POT") + QString::number(number);
}

const QStringList& playerColumns()
{
    static const QStringList columns = [] {
        QStringList list =
            QStringLiteral("LeagueName FirstName LastName PlayerId AcquireHow AcquireWhen "
                           "CurrentPos Height Weight RightHanded FreeAgent InjurySeverity "
                           "InjuryPoints InjuryType InjuryLocation InjuryWeeksOnList JerseyNum "
                           "NaturalPos RetirementPts TeamId")
                .split(QLatin1Char(' '));
        for (int n = 1; n <= RatingCount; ++n)
            list << actualColumn(n) << potentialColumn(n);
        return list;
    }();
    return columns;
}

int playerColumnIndex(const QString& name)
{
    const QStringList& columns = playerColumns();
    for (int i = 0; i < columns.size(); ++i) {
        if (columns[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace db::schema
