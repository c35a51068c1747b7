#include "windows/globaledit/PreviewWindow.h"

#include "core/db/Schema.h"

#include "core/globaledit/Jobs.h"
#include "core/globaledit/TeamList.h"
#include "ui/MdiPlacement.h"
#include "ui/Prompts.h"
#include "windows/globaledit/ChangedPlayersModel.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QValueAxis>
#include <algorithm>
#include <utility>

using globaledit::RatingFigures;
using globaledit::RatingSide;

namespace {

constexpr int ProgressDelayMs = 300;
constexpr int ProgressTickMs = 50;

QTableWidget* addTable(QWidget* parent, const char* objectName, const QString& accessibleName,
                       const QStringList& headers)
{
    auto* table = new QTableWidget(0, int(headers.size()), parent);
    table->setObjectName(QString::fromLatin1(objectName));
    table->setAccessibleName(accessibleName);
    table->setHorizontalHeaderLabels(headers);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return table;
}

QComboBox* addPicker(QWidget* parent, const char* objectName, const QString& accessibleName,
                     const QStringList& items)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(objectName));
    box->setAccessibleName(accessibleName);
    box->addItems(items);
    return box;
}

void setRow(QTableWidget* table, int row, const QStringList& cells)
{
    for (int column = 0; column < cells.size(); ++column) {
        auto* item = new QTableWidgetItem(cells.at(column));
        if (column > 0)
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table->setItem(row, column, item);
    }
}

QString count(qint64 n)
{
    return QLocale().toString(n);
}

QString means(const RatingFigures& f)
{
    if (f.values == 0)
        return QStringLiteral("-");
    return QStringLiteral("%1 \u2192 %2")
        .arg(f.meanBefore(), 0, 'f', 1)
        .arg(f.meanAfter(), 0, 'f', 1);
}

const QStringList& sideNames()
{
    static const QStringList names{QStringLiteral("Actual"), QStringLiteral("Potential")};
    return names;
}

} // namespace

PreviewWindow::PreviewWindow(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmPreview"));
    setWindowTitle(QStringLiteral("Global Edit Preview"));

    m_positionsTable = addTable(
        this, "grdPositions", QStringLiteral("Players by position"),
        {QStringLiteral("Position"), QStringLiteral("Selected"), QStringLiteral("Would change")});
    m_ratingsTable =
        addTable(this, "grdRatings", QStringLiteral("Ratings before and after"),
                 {QStringLiteral("Rating"), QStringLiteral("Actual mean"),
                  QStringLiteral("Actual at bound"), QStringLiteral("Potential mean"),
                  QStringLiteral("Potential at bound"), QStringLiteral("Potentials raised")});
    m_ratingsTable->horizontalHeaderItem(5)->setToolTip(
        QStringLiteral("Potentials lifted to the actual rating by the edit"));

    QLayout* pickers = buildChart();
    QLayout* players = buildPlayerList();
    buildProgressAndClose();

    auto* layout = new QGridLayout(this);
    layout->addWidget(m_progressBar, 0, 0, 1, 2);
    layout->addWidget(m_positionsTable, 1, 0);
    layout->addWidget(m_ratingsTable, 1, 1);
    layout->addLayout(pickers, 2, 0, 1, 2);
    layout->addWidget(m_chart, 3, 0, 1, 2);
    layout->addWidget(m_noPlayers, 3, 0, 1, 2);
    layout->addLayout(players, 1, 2, 3, 1);
    layout->setColumnStretch(1, 1);
    layout->setColumnStretch(2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_closeButton);
    layout->addLayout(buttons, 4, 0, 1, 3);
}

// The rating and side pickers over the chart of the chosen rating.
QLayout* PreviewWindow::buildChart()
{
    // The ratings in the order the Global Edit dialog lists them.
    m_ratingChoice = addPicker(this, "cboRating", QStringLiteral("Chart rating"), {});
    for (const int n : db::schema::EditOrder)
        m_ratingChoice->addItem(db::schema::rating(n).shortName, n);
    m_sideChoice = addPicker(this, "cboSide", QStringLiteral("Actual or potential"), sideNames());
    connect(m_ratingChoice, &QComboBox::currentIndexChanged, this, &PreviewWindow::drawChart);
    connect(m_sideChoice, &QComboBox::currentIndexChanged, this, &PreviewWindow::drawChart);
    auto* ratingLabel = new QLabel(QStringLiteral("C&hart:"), this);
    ratingLabel->setObjectName(QStringLiteral("lblRating"));
    ratingLabel->setBuddy(m_ratingChoice);

    m_chart = new QChartView(new QChart, this);
    m_chart->setObjectName(QStringLiteral("chtDistribution"));
    m_chart->setAccessibleName(QStringLiteral("Distribution before and after"));
    // The whole width: each of the 22 bins then has room for its label.
    m_chart->setMinimumSize(620, 260);
    m_noPlayers = new QLabel(QStringLiteral("No player is selected"), this);
    m_noPlayers->setObjectName(QStringLiteral("lblNoPlayers"));
    m_noPlayers->setAlignment(Qt::AlignCenter);
    m_noPlayers->setMinimumSize(m_chart->minimumSize());
    m_noPlayers->hide();

    auto* pickers = new QHBoxLayout;
    pickers->addWidget(ratingLabel);
    pickers->addWidget(m_ratingChoice);
    pickers->addWidget(m_sideChoice);
    pickers->addStretch();
    return pickers;
}

// The players that would change, and why the others would not.
QLayout* PreviewWindow::buildPlayerList()
{
    m_players = new ChangedPlayersModel(this);
    m_playersView = new QTableView(this);
    m_playersView->setObjectName(QStringLiteral("grdChangedPlayers"));
    m_playersView->setAccessibleName(QStringLiteral("Players that would change"));
    m_playersView->setModel(m_players);
    m_playersView->setSortingEnabled(true);
    m_playersView->sortByColumn(-1, Qt::AscendingOrder); // file order until a header is clicked
    m_playersView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_playersView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_playersView->verticalHeader()->hide();
    m_playersView->setMinimumWidth(360);
    m_unchanged = new QLabel(this);
    m_unchanged->setObjectName(QStringLiteral("lblUnchanged"));
    m_unchanged->setAccessibleName(QStringLiteral("Players that would not change"));
    m_unchanged->setWordWrap(true);
    auto* playersLabel = new QLabel(QStringLiteral("&Players that would change:"), this);
    playersLabel->setObjectName(QStringLiteral("lblChangedPlayers"));
    playersLabel->setBuddy(m_playersView);

    auto* players = new QVBoxLayout;
    players->addWidget(playersLabel);
    players->addWidget(m_playersView, 1);
    players->addWidget(m_unchanged);
    return players;
}

void PreviewWindow::buildProgressAndClose()
{
    m_closeButton = new QPushButton(QStringLiteral("&Close"), this);
    m_closeButton->setObjectName(QStringLiteral("cmdClose"));
    m_closeButton->setAccessibleName(QStringLiteral("Close"));
    connect(m_closeButton, &QPushButton::clicked, this, [this] {
        if (QWidget* frame = parentWidget())
            frame->close();
        else
            close();
    });

    m_progressBar = new QProgressBar(this);
    m_progressBar->setObjectName(QStringLiteral("prgPreview"));
    m_progressBar->setAccessibleName(QStringLiteral("Preview progress"));
    m_progressBar->setRange(0, 1000);
    m_progressBar->setTextVisible(false);
    m_progressBar->hide();
    m_progressClock = new QTimer(this);
    m_progressClock->setInterval(ProgressTickMs);
    connect(m_progressClock, &QTimer::timeout, this, &PreviewWindow::showProgress);
}

void PreviewWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        m_closeButton->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PreviewWindow::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    emit closed();
}

PreviewWindow::~PreviewWindow()
{
    stopWorker();
}

PreviewWindow* PreviewWindow::showPreview(QPointer<QMdiSubWindow>& window, QMdiArea* area,
                                          const QString& path, const globaledit::GlobalEdit& edit,
                                          QMdiSubWindow* opener)
{
    if (!window) {
        auto* preview = new PreviewWindow;
        // In front of a maximized grid, at its own size, as the dialog is.
        window = new QMdiSubWindow;
        window->setWidget(preview);
        keepOthersMaximized(window, area);
        area->addSubWindow(window);
        window->setObjectName(QStringLiteral("frmPreviewWindow"));
        window->setAttribute(Qt::WA_DeleteOnClose);
        fitWindowIntoArea(window, area, window->sizeHint());
        // Once the area has chosen the next window (a maximized grid, it may
        // be), the one the user came from goes back to the front.
        connect(preview, &PreviewWindow::closed, area, [area, preview] {
            QMetaObject::invokeMethod(
                area,
                [area, back = preview->m_returnTo] {
                    if (back && back->isVisible())
                        area->setActiveSubWindow(back);
                },
                Qt::QueuedConnection);
        });
    }
    auto* form = qobject_cast<PreviewWindow*>(window->widget());
    form->m_returnTo = opener;
    window->show();
    area->setActiveSubWindow(window);
    form->start(path, edit);
    return form;
}

void PreviewWindow::start(const QString& path, const globaledit::GlobalEdit& edit)
{
    stopWorker();
    m_path = path;
    m_edit = edit;
    m_permille = 0;
    m_job = new globaledit::PreviewJob(path, edit, this);
    // The job is the context: reports still queued when it is deleted go
    // with it.
    connect(m_job, &globaledit::PreviewJob::progressed, m_job,
            [this](int permille) { m_permille = permille; });
    connect(m_job, &globaledit::Job::finished, m_job, [this] { workerFinished(); });
    m_started.start();
    m_progressClock->start();
    m_job->start();
}

void PreviewWindow::showProgress()
{
    // Only a preview that keeps the user waiting shows its bar.
    if (m_started.elapsed() < ProgressDelayMs)
        return;
    m_progressBar->setValue(m_permille);
    m_progressBar->show();
}

void PreviewWindow::stopWorker()
{
    if (!m_job)
        return;
    m_job->requestStop(); // its result is not wanted
    delete m_job;         // waits for the worker
    m_job = nullptr;
}

void PreviewWindow::workerFinished()
{
    globaledit::PreviewJob* job = std::exchange(m_job, nullptr);
    job->deleteLater(); // this runs in a slot of it
    const db::Error e = job->wait();
    m_progressClock->stop();
    m_progressBar->hide();
    if (e) {
        Prompts::showError(this, e.message());
        if (QWidget* frame = parentWidget())
            frame->close();
        return;
    }
    m_shown = job->takeResult();
    fillPositions();
    fillRatings();
    drawChart();
    fillPlayers();
    emit computed();
}

void PreviewWindow::fillPositions()
{
    m_positionsTable->setRowCount(0);
    for (int p = 0; p < db::schema::PositionCount; ++p) {
        if (!m_edit.positions.test(size_t(p)))
            continue;
        const globaledit::PositionFigures& f = m_shown.positions[size_t(p)];
        const int row = m_positionsTable->rowCount();
        m_positionsTable->insertRow(row);
        setRow(m_positionsTable, row,
               {db::schema::positions().at(p), count(f.selected), count(f.changed)});
    }
}

void PreviewWindow::fillRatings()
{
    m_ratingsTable->setRowCount(globaledit::EditedRatingCount);
    int row = 0;
    for (const int n : db::schema::EditOrder) {
        const RatingFigures& a = m_shown.figures(n, RatingSide::Actual);
        const RatingFigures& p = m_shown.figures(n, RatingSide::Potential);
        setRow(m_ratingsTable, row++,
               {db::schema::rating(n).shortName, means(a), count(a.atBound), means(p),
                count(p.atBound), count(p.raised)});
    }
}

void PreviewWindow::drawChart()
{
    qint64 selected = 0;
    for (const globaledit::PositionFigures& f : m_shown.positions)
        selected += f.selected;
    // A chart of nothing would only show an axis of zeros.
    m_noPlayers->setVisible(selected == 0);
    m_chart->setVisible(selected != 0);
    const int rating = m_ratingChoice->currentData().toInt();
    const auto side = RatingSide(m_sideChoice->currentIndex());
    const RatingFigures& f = m_shown.figures(rating, side);
    auto* before = new QBarSet(QStringLiteral("Before"));
    auto* after = new QBarSet(QStringLiteral("After"));
    QStringList bins;
    qint64 highest = 0;
    for (int bin = 0; bin < globaledit::DistributionBins; ++bin) {
        const qint64 b = f.before[size_t(bin)];
        const qint64 a = f.after[size_t(bin)];
        const bool outside = bin == 0 || bin == globaledit::DistributionBins - 1;
        if (outside && a == 0 && b == 0)
            continue; // below 0 and from 100 only when some rating is there
        bins << globaledit::distributionBinName(bin);
        *before << double(b);
        *after << double(a);
        highest = std::max({highest, a, b});
    }
    auto* series = new QBarSeries;
    series->append(before);
    series->append(after);
    auto* chart = new QChart;
    chart->addSeries(series);
    chart->setTitle(QStringLiteral("%1 %2: players by rating")
                        .arg(sideNames().at(int(side)), db::schema::rating(rating).shortName));
    auto* x = new QBarCategoryAxis;
    x->append(bins);
    // Upright, the 22 bins' labels need more room than the window has;
    // turned, a line of a slightly smaller font fits each bin's width.
    x->setLabelsAngle(-90);
    QFont small = x->labelsFont();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    x->setLabelsFont(small);
    auto* y = new QValueAxis;
    y->setRange(0, double(std::max<qint64>(highest, 1)));
    y->setLabelFormat(QStringLiteral("%d"));
    // Whole numbers of players only: a tick per player up to a few, else
    // round steps.
    if (highest <= 5)
        y->setTickCount(int(std::max<qint64>(highest, 1)) + 1);
    else
        y->applyNiceNumbers();
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
    QChart* old = m_chart->chart();
    m_chart->setChart(chart); // the view lets go of the old chart
    delete old;
}

void PreviewWindow::fillPlayers()
{
    QList<globaledit::Team> teams;
    globaledit::readTeamList(m_path, teams); // without names the ids are shown
    QHash<qint64, QString> names;
    for (const globaledit::Team& t : teams)
        names.insert(t.id, t.name);
    m_players->setPlayers(std::move(m_shown.changedPlayers), m_edit.parameters, std::move(names));
    m_shown.changedPlayers.clear();
    for (int c = ChangedPlayersModel::FirstRatingColumn; c < m_players->columnCount(); ++c)
        m_playersView->setColumnHidden(c, !m_players->changesColumn(c));
    m_playersView->resizeColumnsToContents();
    const QHeaderView* header = m_playersView->horizontalHeader();
    m_players->sort(header->sortIndicatorSection(), header->sortIndicatorOrder());

    using globaledit::Unchanged;
    const auto& u = m_shown.unchanged;
    auto part = [&u](Unchanged reason, const char* text) {
        return QStringLiteral("%1 %2").arg(count(u[size_t(reason)]), QString::fromUtf8(text));
    };
    m_unchanged->setText(QStringLiteral("%1 would change. Selected but unchanged: %2; %3; %4; %5.")
                             .arg(count(m_players->rowCount()),
                                  part(Unchanged::AtBound, "already at a bound"),
                                  part(Unchanged::ZeroPercent, "scaled by 0%"),
                                  part(Unchanged::NoRating, "with no rating"),
                                  part(Unchanged::RoundsAway, "whose change rounds away")));
}
