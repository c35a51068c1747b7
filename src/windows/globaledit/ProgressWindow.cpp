#include "windows/globaledit/ProgressWindow.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

ProgressWindow::ProgressWindow(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                         Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("frmProgress"));
    setWindowTitle(QStringLiteral("Please Wait...."));
    setAttribute(Qt::WA_DeleteOnClose);

    m_caption = new QLabel(QStringLiteral("Please Wait......"), this);
    m_caption->setObjectName(QStringLiteral("Label1"));
    QFont font(QStringLiteral("MS Sans Serif"), 12);
    font.setWeight(QFont::Normal);
    m_caption->setFont(font);
    m_caption->setAccessibleName(QStringLiteral("Please Wait......"));

    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("ProgressBar1"));
    m_bar->setAccessibleName(QStringLiteral("Progress"));
    m_bar->setRange(0, 100);
    m_bar->setValue(0);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_caption);
    layout->addWidget(m_bar);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_bar->setMinimumWidth(300);
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
    m_caption->setText(text);
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
