// The player card's view, built once: the heading, the identity boxes and
// the ratings table and chart.
#include "windows/players/CardView.h"

#include "windows/players/CardFormat.h"
#include "windows/players/CardMeanings.h"
#include "windows/players/PlayerColumns.h"
#include "windows/players/PlayerEdits.h"
#include "windows/players/RatingsChart.h"
#include "windows/players/RatingsTable.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using db::schema::PlayerFixedColumnCount;
using namespace cardformat;

namespace {
constexpr int IdentityPairsPerRow = 3;
enum RatingsColumn { NameColumn, ShortNameColumn, ActualColumn, PotentialColumn };

// The ratings in the table's order: the edited ones as the global edit lays
// them out, then the shown-only ones by number.
QList<int> tableRatings()
{
    QList<int> ratings(db::schema::EditOrder.begin(), db::schema::EditOrder.end());
    for (int n = db::schema::EditableRatingCount + 1; n <= db::schema::RatingCount; ++n)
        ratings << n;
    return ratings;
}
} // namespace

CardView::CardView(const PlayerEdits& player, QWidget* card, SharedMeanings* shared)
    : m_player(player), m_card(card)
{
    setObjectName(u"picCard"_s);
    m_meanings = new CardMeanings(
        card, shared, [this](int column, const QString& name) { emit valueTyped(column, name); });
    connect(m_meanings, &CardMeanings::changed, this, [this] {
        if (m_player.hasRow())
            showValues();
    });
    auto* pageLayout = new QVBoxLayout(this);
    m_name = addLabel(this, u"lblPlayerName"_s, QString());
    QFont big = m_name->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    m_name->setFont(big);
    m_team = addLabel(this, u"lblTeam"_s, QString());
    m_position = addLabel(this, u"lblPosition"_s, QString());
    auto* heading = new QHBoxLayout;
    heading->addWidget(m_name);
    heading->addSpacing(24);
    heading->addWidget(m_position);
    heading->addSpacing(24);
    heading->addWidget(m_team);
    heading->addStretch();
    pageLayout->addLayout(heading);
    pageLayout->addWidget(buildIdentity());
    pageLayout->addWidget(buildRatings(), 1);
}

void CardView::keepCurrentCellVisible(QScrollArea* scroll)
{
    // The arrow keys move through the ratings: the page follows the cell.
    connect(m_table, &QTableWidget::currentCellChanged, this, [this, scroll](int row, int column) {
        const QRect cell = m_table->visualRect(m_table->model()->index(row, column));
        const QPoint centre = m_table->viewport()->mapTo(this, cell.center());
        scroll->ensureVisible(centre.x(), centre.y(), cell.width() / 2 + 8, cell.height() + 8);
    });
}

QWidget* CardView::lastValue() const
{
    return m_table;
}

void CardView::focusValues()
{
    m_table->setFocus();
}

QWidget* CardView::buildIdentity()
{
    auto* frame = new QGroupBox(u"Player"_s);
    frame->setObjectName(u"fraPlayer"_s);
    frame->setAccessibleName(u"Player"_s);
    auto* grid = new QGridLayout(frame);
    const std::vector<players::PlayerColumn>& columns = players::playerGridColumns();
    QWidget* previous = nullptr;
    for (int c = 0; c < PlayerFixedColumnCount; ++c) {
        const QString& field = columns[size_t(c)].field;
        QLabel* label = addLabel(frame, u"lbl"_s + field, spacedName(field) + u':');
        auto* edit = new QLineEdit(frame);
        edit->setObjectName(u"txt"_s + field);
        edit->setAccessibleName(spacedName(field));
        label->setBuddy(edit);
        connect(edit, &QLineEdit::editingFinished, this, [this, edit, c] {
            if (edit->isModified()) {
                edit->setModified(false);
                emit valueTyped(c, edit->text());
            }
        });
        const int row = c / IdentityPairsPerRow;
        const int pair = c % IdentityPairsPerRow;
        grid->addWidget(label, row, 2 * pair);
        grid->addWidget(m_meanings->boxFor(edit, c), row, 2 * pair + 1);
        if (previous)
            setTabOrder(previous, edit);
        previous = edit;
        m_edits[size_t(c)] = edit;
    }
    for (int pair = 0; pair < IdentityPairsPerRow; ++pair)
        grid->setColumnStretch(2 * pair + 1, 1);
    return frame;
}

QWidget* CardView::buildRatings()
{
    // Alt+R moves the focus to the frame's first control, the table.
    auto* frame = new QGroupBox(u"&Ratings"_s);
    frame->setObjectName(u"fraRatings"_s);
    frame->setAccessibleName(u"Ratings"_s);
    buildRatingsTable(frame);
    connect(m_table, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        const QVariant column = item->data(Qt::UserRole);
        if (!m_filling && column.isValid())
            emit valueTyped(column.toInt(), item->text());
    });
    m_chartView = new RatingsChart(frame);
    m_chartView->setObjectName(u"chtRatings"_s);
    m_chartView->setAccessibleName(u"Actual against potential ratings"_s);
    m_chartView->setFocusPolicy(Qt::NoFocus);
    m_chartView->setMinimumSize(240, m_table->height());

    auto* layout = new QHBoxLayout(frame);
    layout->addWidget(m_table);
    layout->addWidget(m_chartView, 1);
    return frame;
}

void CardView::buildRatingsTable(QWidget* frame)
{
    const QList<int> ratings = tableRatings();
    m_table = new RatingsTable(int(ratings.size()), 4, frame);
    m_table->setObjectName(u"tblRatings"_s);
    m_table->setAccessibleName(u"Ratings, actual and potential"_s);
    m_table->setHorizontalHeaderLabels(
        {u"Rating"_s, u"Abbreviation"_s, u"Actual"_s, u"Potential"_s});
    m_table->verticalHeader()->hide();
    m_table->setTabKeyNavigation(false);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
    for (int row = 0; row < ratings.size(); ++row) {
        const db::schema::Rating& r = db::schema::rating(ratings[row]);
        auto* name = new QTableWidgetItem(r.attribute.isEmpty() ? r.shortName : r.attribute);
        auto* shortName = new QTableWidgetItem(r.shortName);
        for (QTableWidgetItem* fixed : {name, shortName})
            fixed->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        m_table->setItem(row, NameColumn, name);
        m_table->setItem(row, ShortNameColumn, shortName);
        for (int side = 0; side < 2; ++side) {
            const int column = actualColumnOf(r.number) + side;
            auto* value = new QTableWidgetItem;
            value->setData(Qt::UserRole, column);
            value->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(row, ActualColumn + side, value);
            m_items[size_t(column)] = value;
        }
    }
    // All 30 rows at once: the card scrolls as one page, and the chart
    // beside the table gets the same height.
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_table->resizeColumnsToContents();
    const int valueWidth = m_table->fontMetrics().horizontalAdvance(u"Potential 000"_s);
    m_table->setColumnWidth(ActualColumn, valueWidth);
    m_table->setColumnWidth(PotentialColumn, valueWidth);
    int width = m_table->frameWidth() * 2;
    for (int c = 0; c < m_table->columnCount(); ++c)
        width += m_table->columnWidth(c);
    m_table->setFixedSize(width, m_table->frameWidth() * 2 +
                                     m_table->horizontalHeader()->sizeHint().height() +
                                     m_table->verticalHeader()->length());
}
