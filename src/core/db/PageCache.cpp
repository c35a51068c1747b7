#include "core/db/PageCache.h"

#include <utility>

namespace db {

const QVariant* PageCache::cachedRow(int row, int columns) const
{
    const int index = row / PageSize;
    const auto page = std::find_if(m_pages.begin(), m_pages.end(),
                                   [index](const Page& p) { return p.index == index; });
    if (page == m_pages.end())
        return nullptr;
    return page->values.constData() + qsizetype(row % PageSize) * columns;
}

void PageCache::store(int index, QVector<QVariant> values)
{
    if (m_pages.size() >= CachedPages) {
        m_pages.erase(
            std::min_element(m_pages.begin(), m_pages.end(),
                             [](const Page& a, const Page& b) { return a.lastUse < b.lastUse; }));
    }
    m_pages.append(Page{index, std::move(values), ++m_useCounter});
}

void PageCache::forgetPageOf(int row)
{
    const int index = row / PageSize;
    m_pages.removeIf([index](const Page& p) { return p.index == index; });
}

} // namespace db
