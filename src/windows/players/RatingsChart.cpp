#include "windows/players/RatingsChart.h"

#include "core/db/Schema.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QCursor>
#include <QHorizontalBarSeries>
#include <QLegendMarker>
#include <QToolTip>
#include <QValueAxis>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {
const QString SideNames[2] = {u"Actual"_s, u"Potential"_s};
constexpr double BelowStub = 1.5;

// A bar's length: numbers as they are, text that reads as a number, else 0.
double barOf(const QVariant& value)
{
    if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Double)
        return std::isnan(value.toDouble()) ? 0 : value.toDouble();
    bool ok = false;
    const double number = value.toString().trimmed().toDouble(&ok);
    return ok && !std::isnan(number) ? number : 0;
}

QString valueText(const QVariant& value)
{
    if (value.isNull())
        return u"Null"_s;
    if (value.typeId() == QMetaType::QByteArray)
        return u"(%1 bytes)"_s.arg(value.toByteArray().size());
    return value.toString();
}

// The short names top-down in the dialog's order; a horizontal chart draws
// its first category at the bottom, so they go in reversed.
QStringList categories()
{
    QStringList names;
    for (auto n = db::schema::EditOrder.rbegin(); n != db::schema::EditOrder.rend(); ++n)
        names << db::schema::rating(*n).shortName;
    return names;
}
} // namespace

RatingsChart::RatingsChart(QWidget* parent) : QChartView(new QChart, parent)
{
    QChart* chart = this->chart();
    chart->setObjectName(u"chtRatingsChart"_s);
    auto* series = new QHorizontalBarSeries(chart);
    for (const QString& side : SideNames) {
        auto* set = new QBarSet(side);
        set->setSelectedColor(QColor(214, 39, 40)); // the marker: red on either palette
        series->append(set);
    }
    chart->addSeries(series);
    auto* names = new QBarCategoryAxis(chart);
    names->append(categories());
    names->setTruncateLabels(false); // two or three letters always fit
    chart->addAxis(names, Qt::AlignLeft);
    series->attachAxis(names);
    auto* values = new QValueAxis(chart);
    values->setLabelFormat(u"%d"_s);
    values->setRange(Lowest, Highest);
    chart->addAxis(values, Qt::AlignBottom);
    series->attachAxis(values);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(2, 2, 2, 2));
    connect(series, &QHorizontalBarSeries::hovered, this, &RatingsChart::showToolTip);
    followPalette();
}

void RatingsChart::showRatings(const std::function<QVariant(int, bool)>& valueOf)
{
    auto* series = static_cast<QHorizontalBarSeries*>(chart()->series().first());
    for (int side = 0; side < 2; ++side) {
        QList<qreal> bars;
        QList<int> past;
        m_values[side].clear();
        for (auto n = db::schema::EditOrder.rbegin(); n != db::schema::EditOrder.rend(); ++n) {
            const QVariant value = valueOf(*n, side == 1);
            const double bar = barOf(value);
            if (bar < Lowest || bar > Highest)
                past << int(bars.size());
            // Below the scale, a short stub at its start carries the mark.
            bars << (bar < Lowest ? Lowest + BelowStub : std::min(bar, Highest));
            m_values[side] << value;
        }
        QBarSet* set = series->barSets().at(side);
        set->remove(0, set->count());
        set->append(bars);
        set->deselectAllBars();
        set->selectBars(past);
    }
}

QString RatingsChart::barToolTip(int side, int index) const
{
    const QStringList names = categories();
    if (side < 0 || side > 1 || index < 0 || index >= m_values[side].size())
        return {};
    const QVariant& value = m_values[side].at(index);
    QString tip = u"%1 %2: %3"_s.arg(SideNames[side], names.at(index), valueText(value));
    const double bar = barOf(value);
    if (bar > Highest)
        tip += u", past the scale's %1"_s.arg(Highest);
    else if (bar < Lowest)
        tip += u", below the scale's %1"_s.arg(Lowest);
    return tip;
}

void RatingsChart::showToolTip(bool shown, int index, QBarSet* set)
{
    const auto* series = static_cast<QHorizontalBarSeries*>(chart()->series().first());
    if (shown)
        QToolTip::showText(QCursor::pos(), barToolTip(int(series->barSets().indexOf(set)), index),
                           this);
    else
        QToolTip::hideText();
}

void RatingsChart::changeEvent(QEvent* event)
{
    QChartView::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        followPalette();
}

void RatingsChart::followPalette()
{
    QChart* chart = this->chart();
    const QPalette& p = palette();
    chart->setBackgroundBrush(p.color(QPalette::Base));
    chart->setBackgroundPen(Qt::NoPen);
    setBackgroundBrush(p.color(QPalette::Base));
    for (QAbstractAxis* axis : chart->axes()) {
        axis->setLabelsBrush(p.color(QPalette::Text));
        axis->setLinePenColor(p.color(QPalette::Mid));
        axis->setGridLineColor(p.color(QPalette::Mid));
    }
    chart->legend()->setLabelColor(p.color(QPalette::Text));
}
