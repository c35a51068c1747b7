#pragma once

#include "core/db/Schema.h"

#include <QWidget>
#include <array>

class CardMeanings;
class PlayerEdits;
class QLabel;
class QLineEdit;
class QScrollArea;
class QTableWidgetItem;
class RatingsChart;
class RatingsTable;
class SharedMeanings;

// The player card's view: the page under its buttons with who the player is,
// every value in its box or in the ratings table, and the chart, each as
// stored or as typed over (marked). It builds and fills the controls and
// hands on what is typed into them; it changes no value itself.
class CardView : public QWidget
{
    Q_OBJECT
public:
    // player: what the view shows; card: the window, for questions and the focus.
    CardView(const PlayerEdits& player, QWidget* card, SharedMeanings* shared);

    CardMeanings* meanings() const { return m_meanings; }
    // Every value, the heading and the chart.
    void showValues();
    // One value typed over, and the heading and chart it may change.
    void showTyped(int column);
    // One value as stored or as typed.
    void showValue(int column);
    // The shown text of a player column (0..79, the grid's columns).
    QString shownText(int column) const;
    // "First Last", "(no name)" when both are empty.
    QString playerName() const;
    // Hands a typed but not yet entered value on as valueTyped.
    void finishTyping();
    // The scroll area showing the page follows the ratings table's current cell.
    void keepCurrentCellVisible(QScrollArea* scroll);
    QWidget* lastValue() const; // the last control of the values' tab order
    void focusValues();

signals:
    // Text typed or picked for a player column, as its editor hands it over.
    void valueTyped(int column, const QString& text);
    // The values were shown anew: the window's title and buttons follow.
    void shown();

protected:
    void changeEvent(QEvent* event) override;

private:
    QWidget* buildIdentity();
    QWidget* buildRatings();
    void buildRatingsTable(QWidget* frame);
    void showHeading();
    void showChart();
    QString teamText() const;

    const PlayerEdits& m_player;
    QWidget* m_card;
    CardMeanings* m_meanings = nullptr; // positions and teams by name
    bool m_filling = false;             // the table's own changes are no typing
    std::array<QLineEdit*, db::schema::PlayerFixedColumnCount> m_edits{};
    std::array<QTableWidgetItem*, db::schema::PlayerColumnCount> m_items{};
    QLabel* m_name = nullptr;
    QLabel* m_team = nullptr;
    QLabel* m_position = nullptr;
    RatingsTable* m_table = nullptr;
    RatingsChart* m_chartView = nullptr;
};
