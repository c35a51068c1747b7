#include "windows/globaledit/frmProgress.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {
QPointer<frmProgress>& single()
{
    static QPointer<frmProgress> window;
    return window;
}
} // namespace

frmProgress* frmProgress::instance(QWidget* owner)
{
    if (!single())
        single() = new frmProgress(owner);
    return single();
}

frmProgress* frmProgress::loaded()
{
    return single();
}

void frmProgress::unload()
{
    if (frmProgress* window = single()) {
        window->hide();
        delete window;
    }
}

frmProgress::frmProgress(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                         Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("frmProgress"));
    setWindowTitle(QStringLiteral("Please Wait...."));
    setAttribute(Qt::WA_DeleteOnClose);

    Label1 = new QLabel(QStringLiteral("Please Wait......"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont font(QStringLiteral("MS Sans Serif"), 12);
    font.setWeight(QFont::Normal);
    Label1->setFont(font);
    Label1->setAccessibleName(QStringLiteral("Please Wait......"));

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setAccessibleName(QStringLiteral("Progress"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(ProgressBar1);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    ProgressBar1->setMinimumWidth(300);
    Form_Load();
}

void frmProgress::Form_Load()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

// Form_Unload: whatever way the window goes, the pointer comes back.
frmProgress::~frmProgress()
{
    QGuiApplication::restoreOverrideCursor();
}

void frmProgress::MovePBar(float step)
{
    const float v = m_value + step;
    if (v < 101)
        setProgressValue(v);
}

void frmProgress::setProgressValue(float value)
{
    m_value = value;
    ProgressBar1->setValue(std::clamp(int(std::lround(value)), 0, 100));
}

void frmProgress::setCaption(const QString& text)
{
    Label1->setText(text);
    Label1->setAccessibleName(text);
}

QString frmProgress::caption() const
{
    return Label1->text();
}

void frmProgress::showCentred()
{
    if (!isVisible()) {
        adjustSize();
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    show();
    raise();
}
