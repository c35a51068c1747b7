#include "shell/SplashWindow.h"

#include "ui/FormBuilder.h"
#include "ui/Version.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <utility>

namespace {
int s_timer1Interval = 1000;
int s_timer2Interval = 3000;
} // namespace

void SplashWindow::setIntervals(int timer1Ms, int timer2Ms)
{
    s_timer1Interval = timer1Ms;
    s_timer2Interval = timer2Ms;
}

SplashWindow::SplashWindow(std::function<QWidget*()> mainWindow, QWidget* parent)
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
    connect(m_timer1, &QTimer::timeout, this, &SplashWindow::showMainWindow);
    m_timer1->start();

    m_timer2 = new QTimer(this);
    m_timer2->setObjectName(QStringLiteral("Timer2"));
    m_timer2->setInterval(s_timer2Interval);
    connect(m_timer2, &QTimer::timeout, this, &SplashWindow::endSplash);
    m_timer2->start();
}

SplashWindow::~SplashWindow()
{
    if (m_hourglass)
        QApplication::restoreOverrideCursor();
}

void SplashWindow::buildContents()
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    setPalette(palette);
    setAutoFillBackground(true);
    form::setClientSizeTwips(this, 5070, 1920);

    const QString black = QStringLiteral("Arial Black");
    const QString plain = QStringLiteral("Arial");
    const QColor gold(230, 180, 40);
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    const form::LabelSpec labels[] = {
        {"Label1",
         QStringLiteral("Yardmark '99"),
         {780, 120, 3300, 600},
         black,
         22,
         true,
         Qt::white,
         left},
        {"Label3",
         QStringLiteral("%1.%2").arg(version::Major).arg(version::Minor),
         {4170, 225, 780, 480},
         black,
         14,
         true,
         Qt::white,
         Qt::AlignRight | Qt::AlignVCenter},
        {"Label2",
         QStringLiteral("LEAGUE EDITOR FOR KICKVALE 99"),
         {780, 840, 3180, 330},
         black,
         8,
         true,
         gold,
         left},
        {"Label4",
         QStringLiteral("Written by the Yardmark '99 team"),
         {780, 1470, 3180, 300},
         plain,
         8,
         false,
         Qt::white,
         left},
    };
    for (const form::LabelSpec& label : labels)
        form::addLabel(this, label);

    const struct {
        const char* name;
        QRect twips;
    } lines[] = {
        {"Line1", {780, 765, 4170, 15}},
        {"Line2", {780, 1305, 3180, 15}},
        {"Line3", {660, 120, 15, 1680}},
        {"Line4", {120, 1800, 4830, 15}},
    };
    for (const auto& line : lines)
        form::addLine(this, QString::fromLatin1(line.name), line.twips, gold);

    form::addImage(this, QStringLiteral("Image1"), QStringLiteral("Program icon"),
                   form::programIcon().pixmap(32), {120, 180});
    form::addImage(this, QStringLiteral("Image2"), QStringLiteral("Fifty-yard line"),
                   form::yardLinePicture(), {4050, 840});
}

void SplashWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    activated();
}

void SplashWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        activated();
    QWidget::changeEvent(event);
}

void SplashWindow::activated()
{
    if (!m_hourglass) {
        m_hourglass = true;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    raise(); // stays on top by its window flags
}

void SplashWindow::showMainWindow()
{
    if (QWidget* main = m_mainWindow()) {
        main->setVisible(true);
        // Back on top once the main window has shown; a splash already ended
        // by then takes the call with it.
        QTimer::singleShot(0, this, &SplashWindow::raise);
    }
}

void SplashWindow::endSplash()
{
    if (m_hourglass) {
        m_hourglass = false;
        QApplication::restoreOverrideCursor();
    }
    close(); // unloading stops both timers
}
