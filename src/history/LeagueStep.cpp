#include "history/LeagueStep.h"

#include <utility>

LeagueStep::LeagueStep(QString league, QString text, std::optional<db::CounterMove> counters)
    : m_league(std::move(league)), m_text(std::move(text)), m_counters(counters)
{
}
