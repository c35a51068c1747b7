#include "windows/grid/ColumnWidths.h"

#include "core/db/RecordSet.h"
#include "ui/Settings.h"
#include "windows/grid/GridView.h"
#include "windows/grid/RecordSetModel.h"

#include <QHeaderView>
#include <QSet>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
// No fitted column takes more than this; the user may widen it.
constexpr int MaxFittedPixels = 400;
constexpr int Padding = 12;
// A stored width outside these is a damaged or hand-edited setting: the
// column is fitted instead.
constexpr int MinStoredPixels = 10;
constexpr int MaxStoredPixels = 2000;

// The stored widths by lower-case field; *dropped says whether any entry was
// not a sensible width.
QHash<QString, int> parseWidths(const QString& text, bool* dropped = nullptr)
{
    QHash<QString, int> widths;
    for (const QString& entry : text.split(u';', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int pixels = entry.section(u'=', 1).toInt(&ok);
        if (ok && pixels >= MinStoredPixels && pixels <= MaxStoredPixels)
            widths.insert(entry.section(u'=', 0, 0).toLower(), pixels);
        else if (dropped)
            *dropped = true;
    }
    return widths;
}
} // namespace

ColumnWidths::ColumnWidths(GridView* grid, const RecordSetModel* model)
    : m_grid(grid), m_model(model)
{
}

QString ColumnWidths::settingsSection()
{
    return settings::ColumnWidths.section;
}

void ColumnWidths::keep()
{
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const QString field = m_model->fieldNameOfColumn(c).toLower();
        if (!field.isEmpty() && !m_grid->isColumnHidden(c) && m_grid->columnWidth(c) > 0)
            m_kept.insert(field, m_grid->columnWidth(c));
    }
}

void ColumnWidths::apply(const QString& table)
{
    const QHash<QString, int> stored = parseWidths(readSetting(settingsSection(), table));
    QHeaderView* header = m_grid->horizontalHeader();
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const QString field = m_model->fieldNameOfColumn(c).toLower();
        if (field.isEmpty())
            continue;
        if (!m_first.contains(field)) {
            // What the header will really show, so that save() sees no change.
            const int width = stored.contains(field) ? stored.value(field) : fittedWidth(c);
            m_first.insert(field, std::max(width, header->minimumSectionSize()));
        }
        // A hidden column gets its width when it is shown again.
        header->resizeSection(c, m_kept.value(field, m_first.value(field)));
    }
}

int ColumnWidths::fittedWidth(int column) const
{
    // Room for the caption and the sort indicator beside it, and for the
    // values of the first page only, so a table of any size opens at once.
    const QFontMetrics captions(m_grid->horizontalHeader()->font());
    const QFontMetrics cells(m_grid->font());
    int width = captions.horizontalAdvance(m_model->headerData(column, Qt::Horizontal).toString()) +
                captions.height() + Padding;
    const int rows = std::min(m_model->rowCount(), int(db::PageCache::PageSize));
    QSet<QString> measured; // ratings repeat: each text is laid out once
    for (int r = 0; r < rows && width < MaxFittedPixels; ++r) {
        const QString text = m_model->index(r, column).data().toString();
        if (!measured.contains(text)) {
            measured.insert(text);
            width = std::max(width, cells.horizontalAdvance(text) + Padding);
        }
    }
    return std::min(width, MaxFittedPixels);
}

void ColumnWidths::save(const QString& table) const
{
    const db::RecordSet* rs = m_model->recordSet();
    if (table.isEmpty() || !rs)
        return;
    bool changed = false;
    QHash<QString, int> widths = parseWidths(readSetting(settingsSection(), table), &changed);
    // Fields the table no longer has would be carried from run to run forever.
    for (auto it = widths.begin(); it != widths.end();) {
        const bool gone = rs->fields().indexOf(it.key()) < 0;
        changed = changed || gone;
        it = gone ? widths.erase(it) : std::next(it);
    }
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const QString field = m_model->fieldNameOfColumn(c).toLower();
        const int now = m_grid->isColumnHidden(c) ? m_kept.value(field) : m_grid->columnWidth(c);
        if (now <= 0 || !m_first.contains(field) || now == m_first.value(field) ||
            now == widths.value(field))
            continue;
        widths.insert(field, now);
        changed = true;
    }
    if (!changed)
        return;
    QStringList entries;
    for (auto it = widths.cbegin(); it != widths.cend(); ++it)
        entries << it.key() + u'=' + QString::number(it.value());
    entries.sort();
    writeSetting(settingsSection(), table, entries.join(u';'));
}
