#include "shell/StatusPanels.h"

#include "windows/grid/TableWindow.h"

#include <QDir>
#include <QEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>

StatusPanels::StatusPanels(QStatusBar* bar, QMdiArea* area) : QObject(bar), m_area(area)
{
    bar->setObjectName(QStringLiteral("sbrStatus"));
    const struct {
        QLabel** label;
        const char* name;
        const char* spoken;
        int stretch;
    } panels[] = {
        {&m_gridStatus, "lblGridStatus", "Rows", 1},
        {&m_commandResult, "lblCommandResult", "Command Result", 2},
        {&m_league, "lblLeague", "League File", 0},
    };
    for (const auto& p : panels) {
        auto* label = new QLabel(bar);
        label->setObjectName(QLatin1String(p.name));
        label->setAccessibleName(QLatin1String(p.spoken));
        // Long paths and filters are cut, never widen the window.
        label->setMinimumWidth(1);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        *p.label = label;
        if (p.label == &m_league)
            bar->addPermanentWidget(label);
        else
            bar->addWidget(label, p.stretch);
    }
    m_commandResult->hide();
    m_gridStatus->hide();
    bar->installEventFilter(this);
    connect(m_area, &QMdiArea::subWindowActivated, this, &StatusPanels::followCurrentSubWindow);
}

void StatusPanels::detach()
{
    m_area->disconnect(this);
    disconnect(m_gridStatusConnection);
}

void StatusPanels::showCommandResult(const QString& text)
{
    m_commandResult->setText(text);
    m_commandResult->setToolTip(text);
    m_commandResult->setVisible(!text.isEmpty());
    fitCommandResult();
}

bool StatusPanels::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize && !m_commandResult->isHidden())
        fitCommandResult();
    return QObject::eventFilter(watched, event);
}

void StatusPanels::fitCommandResult()
{
    // A result may explain a window of another league: too long for its share
    // of the bar, it wraps over most of that share, never cut. A short one
    // keeps the bar one line high (the bar's height follows the label's
    // narrowest width). Its share is its stretch (2) of the stretches shown:
    // the grid's row count takes the third part while a grid is current.
    const int free = m_commandResult->parentWidget()->width() - m_league->sizeHint().width() -
                     3 * m_commandResult->fontMetrics().averageCharWidth();
    const int room = m_gridStatus->isHidden() ? free : free * 2 / 3;
    const bool wraps =
        m_commandResult->fontMetrics().horizontalAdvance(m_commandResult->text()) > room;
    m_commandResult->setWordWrap(wraps);
    m_commandResult->setMinimumWidth(wraps ? std::max(1, room * 3 / 4) : 1);
}

void StatusPanels::showLeague(const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    m_league->setText(shown.isEmpty() ? QStringLiteral("No league file chosen (File > Open)")
                                      : shown);
    m_league->setToolTip(shown);
}

QString StatusPanels::commandResultText() const
{
    return m_commandResult->text();
}

QString StatusPanels::gridStatusText() const
{
    return m_gridStatus->text();
}

QString StatusPanels::leagueStatusText() const
{
    return m_league->text();
}

void StatusPanels::followCurrentSubWindow()
{
    // The current window, not the active one: a message box over the main
    // window makes no window active, yet the grid under it is still current.
    disconnect(m_gridStatusConnection);
    QMdiSubWindow* sub = m_area->currentSubWindow();
    if (auto* grid = sub ? qobject_cast<TableWindow*>(sub->widget()) : nullptr)
        m_gridStatusConnection =
            connect(grid, &TableWindow::statusChanged, this, &StatusPanels::showGridStatus);
    showGridStatus();
}

void StatusPanels::showGridStatus()
{
    QMdiSubWindow* sub = m_area->currentSubWindow();
    const auto* grid = sub ? qobject_cast<TableWindow*>(sub->widget()) : nullptr;
    const QString text = grid ? grid->statusText() : QString();
    m_gridStatus->setText(text);
    m_gridStatus->setToolTip(text);
    m_gridStatus->setHidden(text.isEmpty());
    fitCommandResult();
}
