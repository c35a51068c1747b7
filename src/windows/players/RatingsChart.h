#pragma once

#include <QChartView>
#include <QVariant>
#include <functional>

class QBarSet;

// The player card's bar chart of actual against potential for the edited
// ratings, top-down in the Global Edit dialog's order. The scale is the
// ratings' own, 0 to 99: a value past it draws its bar to the edge in the
// marker colour, and the bar's tooltip gives the value as stored. The chart
// takes its colours from the window's palette, light or dark.
class RatingsChart : public QChartView
{
    Q_OBJECT
public:
    static constexpr double Lowest = 0;
    static constexpr double Highest = 99;

    explicit RatingsChart(QWidget* parent = nullptr);

    // Shows the bars; valueOf(rating, potential) is the value as stored.
    void showRatings(const std::function<QVariant(int, bool)>& valueOf);
    // A bar's tooltip ("Actual SP: 1e+300, past the scale's 99"); side 0 is
    // the actual ratings, 1 the potential, index counts from the chart's
    // bottom. A bar past the scale is a selected bar of its set.
    QString barToolTip(int side, int index) const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void followPalette();
    void showToolTip(bool shown, int index, QBarSet* set);

    QList<QVariant> m_values[2]; // as stored, bottom bar first
};
