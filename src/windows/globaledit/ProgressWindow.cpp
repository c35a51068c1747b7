#include "windows/globaledit/ProgressWindow.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <cmath>

ProgressWindow::ProgressWindow(QWidget* owner)
    : QProgressDialog(owner, Qt::Tool | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                                 Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("frmProgress"));
    setWindowTitle(QStringLiteral("Please Wait...."));
    setAttribute(Qt::WA_DeleteOnClose);
    // The dialog shows when the edit starts a position, never by itself, and
    // stays until the edit ends.
    setAutoClose(false);
    setAutoReset(false);
    setCancelButton(nullptr);

    m_caption = new QLabel(QStringLiteral("Please Wait......"), this);
    m_caption->setObjectName(QStringLiteral("Label1"));
    QFont font(QStringLiteral("MS Sans Serif"), 12);
    font.setWeight(QFont::Normal);
    m_caption->setFont(font);
    m_caption->setAccessibleName(QStringLiteral("Please Wait......"));
    setLabel(m_caption);

    // Set directly, not through setValue, which would show the window itself.
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("ProgressBar1"));
    m_bar->setAccessibleName(QStringLiteral("Progress"));
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    setBar(m_bar);
    // The dialog places its parts itself: room for a bar of 300 pixels.
    setMinimumWidth(300 + 2 * std::max(6, style()->pixelMetric(QStyle::PM_LayoutLeftMargin)));
    showHourglass();
}

void ProgressWindow::showHourglass()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

// Whatever way the window goes, the pointer comes back.
ProgressWindow::~ProgressWindow()
{
    QGuiApplication::restoreOverrideCursor();
}

void ProgressWindow::reject() {}

void ProgressWindow::advanceBy(float step)
{
    const float v = m_value + step;
    if (v < 101)
        setProgressValue(v);
}

void ProgressWindow::setProgressValue(float value)
{
    m_value = value;
    m_bar->setValue(std::clamp(int(std::lround(value)), 0, 100));
}

void ProgressWindow::setCaption(const QString& text)
{
    setLabelText(text); // the window grows to the caption
    m_caption->setAccessibleName(text);
}

QString ProgressWindow::caption() const
{
    return m_caption->text();
}

void ProgressWindow::showCentred()
{
    if (!isVisible()) {
        adjustSize();
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    show();
    raise();
}
