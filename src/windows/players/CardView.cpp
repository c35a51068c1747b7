// The player card's view filled: the shown player's values, heading and
// chart as stored or as typed over.
#include "windows/players/CardView.h"

#include "core/db/Database.h"
#include "windows/players/CardFormat.h"
#include "windows/players/CardMeanings.h"
#include "windows/players/PlayerEdits.h"
#include "windows/players/RatingsChart.h"
#include "windows/players/RatingsTable.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>
#include <cmath>
#include <utility>

using namespace Qt::StringLiterals;
using db::schema::PlayerColumnCount;
using db::schema::PlayerFixedColumnCount;
using namespace cardformat;

void CardView::showValues()
{
    m_filling = true;
    for (int c = 0; c < PlayerColumnCount; ++c)
        showValue(c);
    m_filling = false;
    showHeading();
    showChart();
    emit shown();
}

void CardView::showTyped(int column)
{
    showValue(column);
    showHeading();
    showChart();
    emit shown();
}

QString CardView::shownText(int column) const
{
    const QVariant value = m_player.effective(column);
    const std::optional<db::Meaning> meaning = m_meanings->meaning(column, value);
    return meaning && meaning->known ? meaning->text : textOf(value);
}

void CardView::showValue(int column)
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

QString CardView::playerName() const
{
    const int first = db::schema::playerColumnIndex(u"FirstName"_s);
    const int last = db::schema::playerColumnIndex(u"LastName"_s);
    const QString name = QString(m_player.effective(first).toString().trimmed() + u' ' +
                                 m_player.effective(last).toString().trimmed())
                             .trimmed();
    return name.isEmpty() ? u"(no name)"_s : name;
}

QString CardView::teamText() const
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

void CardView::showHeading()
{
    const QString name = !m_player.wasRead() ? QString() : playerName();
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

void CardView::showChart()
{
    m_chartView->showRatings([this](int rating, bool potential) {
        return m_player.effective(actualColumnOf(rating) + potential);
    });
}

void CardView::finishTyping()
{
    auto* edit = qobject_cast<QLineEdit*>(m_card->focusWidget());
    if (edit && edit->isModified()) {
        edit->setModified(false);
        const int column = int(std::find(m_edits.begin(), m_edits.end(), edit) - m_edits.begin());
        if (column < PlayerFixedColumnCount)
            emit valueTyped(column, edit->text());
    }
    m_table->finishEditing();
}

void CardView::changeEvent(QEvent* event)
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
