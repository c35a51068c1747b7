// What the Team Page shows of the figures: averages, counts, chart, CSV.
#include "core/db/AtomicFile.h"
#include "core/db/Csv.h"
#include "core/db/LeagueFiles.h"
#include "ui/Prompts.h"
#include "ui/Settings.h"
#include "windows/teampage/TeamPage.h"
#include "windows/teampage/TeamPlayersModel.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QSortFilterProxyModel>
#include <QTableWidget>
#include <QValueAxis>
#include <cstring>

namespace {
QString oneDecimal(const std::optional<double>& value)
{
    return value ? QString::number(*value, 'f', 1) : QStringLiteral("\u2013");
}

void appendText(QByteArray& out, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    db::csv::appendText(out, std::string_view(utf8.constData(), size_t(utf8.size())));
}
} // namespace

int TeamPage::sideShown(int column) const
{
    return teams::sideOf(db::schema::EditOrder[size_t(column)], m_potential);
}

void TeamPage::showAverages(int g)
{
    QTableWidget* table = m_groups[size_t(g)].averages;
    const teams::GroupFigures& team = m_figures.team(teamId()).groups[size_t(g)];
    const teams::GroupFigures& league = m_figures.league[size_t(g)];
    QStringList headers;
    for (int c = 0; c < teams::RatedCount; ++c) {
        const int side = sideShown(c);
        headers << db::schema::rating(db::schema::EditOrder[size_t(c)]).shortName;
        const std::optional<double> t = team.mean(side);
        const std::optional<double> l = league.mean(side);
        // Compared as shown: a difference that rounds to 0.0 is none.
        std::optional<double> d;
        if (t && l)
            d = oneDecimal(t).toDouble() - oneDecimal(l).toDouble();
        const QString cells[] = {oneDecimal(t), oneDecimal(l),
                                 d ? QString::asprintf("%+.1f", *d) : oneDecimal(d)};
        for (int row = 0; row < 3; ++row) {
            auto* item = new QTableWidgetItem(cells[row]);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (row == 2 && d && *d != 0) {
                item->setForeground(*d > 0 ? QColor(0, 110, 0) : QColor(170, 0, 0));
                item->setToolTip(*d > 0 ? QStringLiteral("Better than the league")
                                        : QStringLiteral("Worse than the league"));
            }
            table->setItem(row, c, item);
        }
    }
    table->setHorizontalHeaderLabels(headers);
    table->resizeColumnsToContents();
    table->setFixedHeight(table->horizontalHeader()->sizeHint().height() +
                          3 * table->verticalHeader()->defaultSectionSize() + 4);
}

void TeamPage::showCounts()
{
    QStringList counts;
    for (int g = 0; g < teams::GroupCount; ++g) {
        const int n = m_groups[size_t(g)].model->rowCount();
        if (g != teams::OtherGroup || n > 0)
            counts << QStringLiteral("%1 %2").arg(teams::groupName(g)).arg(n);
    }
    m_counts->setText(QStringLiteral("Players: ") + counts.join(QStringLiteral(" \u00b7 ")));
}

void TeamPage::drawChart()
{
    const int g = m_chartGroup->currentData().toInt();
    const teams::GroupFigures& team = m_figures.team(teamId()).groups[size_t(g)];
    const teams::GroupFigures& league = m_figures.league[size_t(g)];
    auto* teamSet = new QBarSet(m_teams->currentText());
    auto* leagueSet = new QBarSet(QStringLiteral("League"));
    QStringList categories;
    double high = 99;
    for (int c = 0; c < teams::RatedCount; ++c) {
        categories << db::schema::rating(db::schema::EditOrder[size_t(c)]).shortName;
        const double t = team.mean(sideShown(c)).value_or(0);
        const double l = league.mean(sideShown(c)).value_or(0);
        *teamSet << t;
        *leagueSet << l;
        high = std::max({high, t, l});
    }
    auto* series = new QBarSeries;
    series->append(teamSet);
    series->append(leagueSet);
    auto* chart = new QChart;
    chart->addSeries(series);
    chart->setTitle(QStringLiteral("%1 %2 average against the league")
                        .arg(teams::groupName(g),
                             m_potential ? QStringLiteral("potential") : QStringLiteral("actual")));
    auto* x = new QBarCategoryAxis;
    x->append(categories);
    auto* y = new QValueAxis;
    y->setRange(0, high);
    y->setLabelFormat(QStringLiteral("%d"));
    y->setTickCount(4); // 0, 33, 66, 99 on the ratings' own scale
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
    QChart* old = m_chart->chart();
    m_chart->setChart(chart);
    delete old;
}

QByteArray TeamPage::csv(bool codes) const
{
    QByteArray out;
    QStringList header{QStringLiteral("Team"), QStringLiteral("Position"), QStringLiteral("Player"),
                       QStringLiteral("Jersey")};
    for (int c = 0; c < teams::RatedCount; ++c)
        header << m_groups[0]
                      .model->headerData(TeamPlayersModel::FirstRatingColumn + c, Qt::Horizontal)
                      .toString();
    auto record = [&out](const QStringList& fields) {
        for (int i = 0; i < fields.size(); ++i) {
            if (i > 0)
                out.append(',');
            appendText(out, fields.at(i));
        }
        db::csv::endRecord(out);
    };
    record(header);
    const QString team = codes ? QString::number(teamId()) : m_teams->currentText();
    for (int g = 0; g < teams::GroupCount; ++g) {
        const auto& group = m_groups[size_t(g)];
        const QString position =
            codes && g != teams::OtherGroup ? QString::number(g) : teams::groupName(g);
        for (int row = 0; row < group.proxy->rowCount(); ++row) {
            const int source = group.proxy->mapToSource(group.proxy->index(row, 0)).row();
            QStringList fields{team, position, group.model->player(source).name};
            for (int c = TeamPlayersModel::JerseyColumn; c < group.model->columnCount(); ++c)
                fields << group.model->stored(source, c).toString();
            record(fields);
        }
        if (group.model->rowCount() == 0 && g == teams::OtherGroup)
            continue;
        const teams::GroupFigures* figures[] = {&m_figures.team(teamId()).groups[size_t(g)],
                                                &m_figures.league[size_t(g)]};
        const QString names[] = {QStringLiteral("Team average"), QStringLiteral("League average")};
        for (int i = 0; i < 2; ++i) {
            QStringList fields{team, position, names[i], {}};
            for (int c = 0; c < teams::RatedCount; ++c) {
                const std::optional<double> m = figures[i]->mean(sideShown(c));
                fields << (m ? QString::number(*m, 'f', 1) : QString());
            }
            record(fields);
        }
    }
    return out;
}

void TeamPage::exportCsv()
{
    const QString path = Prompts::saveFileName(
        this, QStringLiteral("Export Team Page as CSV"),
        {QStringLiteral("CSV files (*.csv)"), QStringLiteral("All files (*)")},
        m_teams->currentText() + QStringLiteral(".csv"));
    if (path.isEmpty())
        return;
    if (const db::Error e = db::checkNotLeagueFile(path, {m_path}))
        return Prompts::showError(this, e.message());
    const QByteArray text = csv(readBoolSetting(settings::ShowCodes));
    db::AtomicFile file(path);
    int error = file.open();
    if (!error)
        error = file.write(text);
    if (!error)
        error = file.commit();
    if (error)
        Prompts::showError(
            this, QStringLiteral("The file %1 could not be written: %2. "
                                 "Nothing was exported.")
                      .arg(db::quotedPath(path), QString::fromLocal8Bit(std::strerror(error))));
}
