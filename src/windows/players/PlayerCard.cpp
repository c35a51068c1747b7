// The player card's view: the shown player's values, heading and chart as
// stored or as typed over.
#include "windows/players/PlayerCard.h"

#include "core/db/Database.h"
#include "core/db/RecordSet.h"
#include "ui/Prompts.h"
#include "windows/grid/GridView.h"
#include "windows/grid/TableConnection.h"
#include "windows/players/CardFormat.h"
#include "windows/players/CardMeanings.h"
#include "windows/players/PlayerColumns.h"
#include "windows/players/PlayerWindow.h"
#include "windows/players/PlayerWindows.h"
#include "windows/players/RatingsChart.h"
#include "windows/players/RatingsTable.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QShortcut>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <utility>

using namespace Qt::StringLiterals;
using db::schema::PlayerColumnCount;
using db::schema::PlayerFixedColumnCount;
using namespace cardformat;

PlayerCard::PlayerCard(SharedMeanings* shared)
{
    setObjectName(u"frmPlayerCard"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    m_meanings = new CardMeanings(
        this, shared, [this](int column, const QString& name) { typeValue(column, name); });
    connect(m_meanings, &CardMeanings::changed, this, [this] {
        if (m_player.hasRow())
            showValues();
    });
    buildControls();
}

PlayerCard::~PlayerCard() = default;

QString PlayerCard::leaguePath() const
{
    return m_player.leaguePath();
}

void PlayerCard::showValues()
{
    m_filling = true;
    for (int c = 0; c < PlayerColumnCount; ++c)
        showValue(c);
    m_filling = false;
    showHeading();
    showChart();
    updateButtons();
}

QString PlayerCard::shownText(int column) const
{
    const QVariant value = m_player.effective(column);
    const std::optional<db::Meaning> meaning = m_meanings->meaning(column, value);
    return meaning && meaning->known ? meaning->text : textOf(value);
}

void PlayerCard::showValue(int column)
{
    const QVariant value = m_player.effective(column);
    const bool changed = m_player.isChanged(column);
    const bool binary = value.typeId() == QMetaType::QByteArray;
    const QString tip = changed ? storageOf(value) + u" when saved (changed)"_s : storageOf(value);
    if (column < PlayerFixedColumnCount) {
        QLineEdit* edit = m_edits[size_t(column)];
        const std::optional<db::Meaning> meaning = m_meanings->meaning(column, value);
        edit->setText(shownText(column));
        edit->setCursorPosition(0);
        edit->setReadOnly(binary);
        edit->setToolTip(meaning ? meaning->toolTip + u'\n' + tip : tip);
        edit->setAccessibleDescription(edit->toolTip());
        markChanged(edit, changed);
        QFont font = edit->font(); // a code that means nothing is set apart
        font.setItalic(meaning && !meaning->known);
        edit->setFont(font);
        return;
    }
    QTableWidgetItem* item = m_items[size_t(column)];
    const bool filling = std::exchange(m_filling, true);
    item->setText(textOf(value));
    item->setToolTip(tip);
    item->setFlags(binary ? Qt::ItemIsEnabled | Qt::ItemIsSelectable
                          : Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
    markChanged(item, changed);
    m_filling = filling;
}

QString PlayerCard::playerName() const
{
    const int first = db::schema::playerColumnIndex(u"FirstName"_s);
    const int last = db::schema::playerColumnIndex(u"LastName"_s);
    const QString name = QString(m_player.effective(first).toString().trimmed() + u' ' +
                                 m_player.effective(last).toString().trimmed())
                             .trimmed();
    return name.isEmpty() ? u"(no name)"_s : name;
}

QString PlayerCard::teamText() const
{
    const QVariant team = m_player.effective(db::schema::playerColumnIndex(u"TeamId"_s));
    QString name;
    if (!team.isNull())
        m_player.league()->query(u"SELECT TeamName FROM Team WHERE TeamID = ? LIMIT 1"_s, {team},
                                 [&](const db::Statement& row) { name = row.value(0).toString(); });
    if (!name.isEmpty())
        return name;
    // 0 marks the college draft and the free agents.
    if (team.typeId() == QMetaType::LongLong && team.toLongLong() == 0)
        return u"College Draft/FA"_s;
    return team.isNull() ? u"(none)"_s : textOf(team);
}

void PlayerCard::showHeading()
{
    const QString name = !m_player.wasRead() ? QString() : playerName();
    setWindowTitle(name.isEmpty() ? u"Player Card[*]"_s : u"Player Card - "_s + name + u"[*]"_s);
    setWindowModified(hasChanges());
    m_name->setText(name);
    m_name->setAccessibleName(name);
    const QVariant position = m_player.effective(db::schema::playerColumnIndex(u"CurrentPos"_s));
    const bool isIndex =
        (position.typeId() == QMetaType::LongLong || position.typeId() == QMetaType::Double) &&
        position.toDouble() >= 0 && position.toDouble() < db::schema::PositionCount &&
        position.toDouble() == std::floor(position.toDouble());
    const QString shown = isIndex ? db::schema::positions().at(position.toInt()) : textOf(position);
    m_position->setText(u"Position: "_s + shown);
    m_team->setText(u"Team: "_s + teamText());
    for (QLabel* label : {m_position, m_team})
        label->setAccessibleName(label->text());
}

void PlayerCard::showChart()
{
    m_chartView->showRatings([this](int rating, bool potential) {
        return m_player.effective(actualColumnOf(rating) + potential);
    });
}

void PlayerCard::updateButtons()
{
    const db::RecordSet* rs = m_grid ? m_grid->model()->recordSet() : nullptr;
    const int count = m_list ? int(m_list->size()) : rs ? rs->count() : 0;
    const int row = gridRow();
    m_previous->setEnabled(row > 0 && row < count);
    m_next->setEnabled(row + 1 < count && (row >= 0 || !m_list));
    m_save->setEnabled(hasChanges());
    m_revert->setEnabled(hasChanges());
    m_page->setEnabled(m_player.hasRow());
}

void PlayerCard::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // The changed values' mark is worked out from the palette.
    if (event->type() == QEvent::PaletteChange) {
        for (int c = 0; c < PlayerColumnCount; ++c) {
            if (c < PlayerFixedColumnCount)
                markChanged(m_edits[size_t(c)], m_player.isChanged(c));
            else
                markChanged(m_items[size_t(c)], m_player.isChanged(c));
        }
    }
}

void PlayerCard::keyPressEvent(QKeyEvent* event)
{
    // Escape that no value's editor took closes the card, asking about
    // changed values first.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        closeWindow();
        return;
    }
    QWidget::keyPressEvent(event);
}
