#include "windows/grid/SharedMeanings.h"

#include "ui/Settings.h"
#include "windows/grid/LeagueMeanings.h"

#include <QFileInfo>
#include <QMdiArea>

namespace {
// Leagues whose meanings stay read when no window shows them: reopening a
// window need not read 200,000 player ids again.
constexpr int KeptLeagues = 4;
} // namespace

SharedMeanings::SharedMeanings(QMdiArea* area) : QObject(area)
{
    setObjectName(QStringLiteral("SharedMeanings"));
}

SharedMeanings* SharedMeanings::of(QMdiArea* area)
{
    auto* shared = area->findChild<SharedMeanings*>(QString(), Qt::FindDirectChildrenOnly);
    return shared ? shared : new SharedMeanings(area);
}

std::shared_ptr<LeagueMeanings> SharedMeanings::forLeague(const QString& path)
{
    const QString key = QFileInfo(path).absoluteFilePath();
    std::shared_ptr<LeagueMeanings> meanings = m_leagues.value(key).lock();
    if (!meanings) {
        meanings.reset(new LeagueMeanings(key));
        m_leagues.insert(key, meanings);
    }
    m_kept.removeAll(meanings);
    m_kept.append(meanings);
    while (m_kept.size() > KeptLeagues)
        m_kept.removeFirst();
    return meanings;
}

bool SharedMeanings::showsCodes() const
{
    return readBoolSetting(settings::ShowCodes);
}

void SharedMeanings::setShowCodes(bool on)
{
    writeSetting(settings::ShowCodes, boolText(on));
    emit showCodesChanged(on);
}
