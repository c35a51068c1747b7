#pragma once

#include <QVariant>
#include <QVector>
#include <algorithm>

namespace db {

// The values of a record set's rows, kept a page of rows at a time for the
// few pages read last: what a grid scrolling through a table reads again.
class PageCache
{
public:
    static constexpr int PageSize = 200;
    static constexpr int CachedPages = 6;

    // The row's values (columns of them) when its page is cached, marked as
    // used; nullptr when not.
    const QVariant* usedRow(int row, int columns)
    {
        Page* page = find(row / PageSize);
        if (!page)
            return nullptr;
        page->lastUse = ++m_useCounter;
        return page->values.constData() + qsizetype(row % PageSize) * columns;
    }
    // The same without marking it used; nullptr when not cached.
    const QVariant* cachedRow(int row, int columns) const;
    // Keeps a page's values, row by row, dropping the page used longest ago
    // when the cache is full.
    void store(int page, QVector<QVariant> values);
    void forgetAll() { m_pages.clear(); }
    void forgetPageOf(int row);

private:
    struct Page {
        int index = -1;
        QVector<QVariant> values; // row by row
        quint64 lastUse = 0;
    };
    Page* find(int index)
    {
        const auto page = std::find_if(m_pages.begin(), m_pages.end(),
                                       [index](const Page& p) { return p.index == index; });
        return page == m_pages.end() ? nullptr : &*page;
    }

    QVector<Page> m_pages;
    quint64 m_useCounter = 0;
};

} // namespace db
