#include "shell/frmSplash2.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

namespace {
int s_timer1Interval = 1000;
int s_timer2Interval = 3000;
} // namespace

void frmSplash2::setIntervals(int timer1Ms, int timer2Ms)
{
    s_timer1Interval = timer1Ms;
    s_timer2Interval = timer2Ms;
}

frmSplash2::frmSplash2(std::function<QWidget*()> mainWindow, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint),
      m_mainWindow(std::move(mainWindow))
{
    setObjectName(QStringLiteral("frmSplash2"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildContents();

    // Both timers run from the moment the splash loads.
    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(s_timer1Interval);
    connect(m_timer1, &QTimer::timeout, this, &frmSplash2::Timer1_Timer);
    m_timer1->start();

    m_timer2 = new QTimer(this);
    m_timer2->setObjectName(QStringLiteral("Timer2"));
    m_timer2->setInterval(s_timer2Interval);
    connect(m_timer2, &QTimer::timeout, this, &frmSplash2::Timer2_Timer);
    m_timer2->start();
}

frmSplash2::~frmSplash2()
{
    if (m_hourglass)
        QApplication::restoreOverrideCursor();
}

void frmSplash2::buildContents()
{
    // Filled in with the splash's texts and pictures (About and splash work).
}

void frmSplash2::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Form_Activate();
}

void frmSplash2::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
    QWidget::changeEvent(event);
}

void frmSplash2::Form_Activate()
{
    if (!m_hourglass) {
        m_hourglass = true;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    raise(); // stays on top by its window flags
}

void frmSplash2::Timer1_Timer()
{
    if (QWidget* main = m_mainWindow()) {
        main->setVisible(true);
        QCoreApplication::processEvents(); // one pass, so the main window paints
        raise();
    }
}

void frmSplash2::Timer2_Timer()
{
    if (m_hourglass) {
        m_hourglass = false;
        QApplication::restoreOverrideCursor();
    }
    close(); // unloading stops both timers
}
