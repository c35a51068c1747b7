#include "shell/SplashWindow.h"

#include "ui/FormBuilder.h"
#include "ui/Version.h"

#include <QApplication>
#include <QBoxLayout>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <utility>

namespace {
// A test seam, not program state: the shipped intervals, which only
// setIntervals (called by tests before a splash is made) ever changes.
int s_showMainDelay = 1000;
int s_endSplashDelay = 3000;
} // namespace

void SplashWindow::setIntervals(int showMainMs, int endSplashMs)
{
    s_showMainDelay = showMainMs;
    s_endSplashDelay = endSplashMs;
}

SplashWindow::SplashWindow(std::function<QWidget*()> mainWindow, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint),
      m_mainWindow(std::move(mainWindow))
{
    setObjectName(QStringLiteral("frmSplash2"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildContents();

    // Both timers run from the moment the splash loads.
    m_showMainTimer = new QTimer(this);
    m_showMainTimer->setObjectName(QStringLiteral("Timer1"));
    m_showMainTimer->setInterval(s_showMainDelay);
    connect(m_showMainTimer, &QTimer::timeout, this, &SplashWindow::showMainWindow);
    m_showMainTimer->start();

    m_endSplashTimer = new QTimer(this);
    m_endSplashTimer->setObjectName(QStringLiteral("Timer2"));
    m_endSplashTimer->setInterval(s_endSplashDelay);
    connect(m_endSplashTimer, &QTimer::timeout, this, &SplashWindow::endSplash);
    m_endSplashTimer->start();
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

    const QString black = QStringLiteral("Arial Black");
    const QString plain = QStringLiteral("Arial");
    const QColor gold(230, 180, 40);
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    QLabel* title = form::makeLabel(
        this, {"Label1", QStringLiteral("Yardmark '99"), black, 22, true, Qt::white, left});
    QLabel* version = form::makeLabel(
        this, {"Label3", QStringLiteral("%1.%2").arg(version::Major).arg(version::Minor), black, 14,
               true, Qt::white, Qt::AlignRight | Qt::AlignVCenter});
    QLabel* editor =
        form::makeLabel(this, {"Label2", QStringLiteral("LEAGUE EDITOR FOR KICKVALE 99"), black, 8,
                               true, gold, left});
    QLabel* author =
        form::makeLabel(this, {"Label4", QStringLiteral("Written by the Yardmark '99 team"), plain,
                               8, false, Qt::white, left});
    const auto line = [&](const char* name, bool vertical) {
        QFrame* frame = form::makeLine(this, QString::fromLatin1(name), gold);
        if (vertical) {
            frame->setMinimumHeight(0);
            frame->setMaximumHeight(QWIDGETSIZE_MAX);
            frame->setFixedWidth(1);
        }
        return frame;
    };

    // The icon, a gold rule down beside the text, the text between gold
    // rules, the yard-line picture at the right, and a rule under it all.
    const int gap = fontMetrics().averageCharWidth();
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(gap);
    grid->setVerticalSpacing(gap / 2);
    grid->addWidget(form::makeImage(this, QStringLiteral("Image1"), QStringLiteral("Program icon"),
                                    form::programIcon().pixmap(32)),
                    0, 0, 5, 1, Qt::AlignTop);
    grid->addWidget(line("Line3", true), 0, 1, 5, 1);
    grid->addWidget(title, 0, 2);
    grid->addWidget(version, 0, 3);
    grid->addWidget(line("Line1", false), 1, 2, 1, 2);
    grid->addWidget(editor, 2, 2);
    grid->addWidget(form::makeImage(this, QStringLiteral("Image2"),
                                    QStringLiteral("Fifty-yard line"), form::yardLinePicture()),
                    2, 3, 3, 1, Qt::AlignRight | Qt::AlignTop);
    grid->addWidget(line("Line2", false), 3, 2);
    grid->addWidget(author, 4, 2);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(gap / 2);
    layout->addLayout(grid);
    layout->addWidget(line("Line4", false));
    // A fixed border: the size follows the font and the screen's DPI.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() -
             QPoint(sizeHint().width(), sizeHint().height()) / 2);
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
