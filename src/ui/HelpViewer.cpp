#include "ui/HelpViewer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QWidget>

namespace {
// The widget at the top of w's parents: the main window for its MDI
// children and for dialogs made over it.
QWidget* topOf(QWidget* w)
{
    while (w->parentWidget())
        w = w->parentWidget();
    return w;
}

HelpViewer* viewerOf(QWidget* mainWindow)
{
    return mainWindow->findChild<HelpViewer*>(QString(), Qt::FindDirectChildrenOnly);
}
} // namespace

HelpViewer::HelpViewer(QWidget* mainWindow)
    : QObject(mainWindow), m_helpFile(helpFilePathFor(QCoreApplication::applicationDirPath()))
{
    setObjectName(QStringLiteral("helpViewer"));
}

// The window is a top-level one of its own, so it goes with its viewer.
HelpViewer::~HelpViewer()
{
    delete m_window;
}

HelpViewer* HelpViewer::of(QWidget* asker)
{
    QWidget* main = topOf(asker);
    if (HelpViewer* viewer = viewerOf(main))
        return viewer;
    return new HelpViewer(main);
}

QTextBrowser* HelpViewer::window() const
{
    return m_window;
}

void HelpViewer::setProgramFolder(const QString& programFolder)
{
    m_helpFile = helpFilePathFor(programFolder);
}

QTextBrowser* HelpViewer::ensureWindow()
{
    if (!m_window) {
        m_window = new QTextBrowser;
        m_window->setObjectName(QStringLiteral("helpWindow"));
        m_window->setAttribute(Qt::WA_DeleteOnClose);
        m_window->setOpenExternalLinks(true);
        m_window->resize(640, 560);
        m_window->setAccessibleName(QStringLiteral("Yardmark '99 Help"));
        new QShortcut(QKeySequence(Qt::Key_Escape), m_window, m_window.data(), &QWidget::close);
    }
    return m_window;
}

void HelpViewer::show(const QString& anchor)
{
    QTextBrowser* window = ensureWindow();
    window->setWindowTitle(QStringLiteral("Yardmark '99 Help"));
    if (!QFileInfo::exists(m_helpFile)) {
        // The viewer says so itself, the way a help viewer would; no message box.
        window->setHtml(QStringLiteral("<h2>Help is not available</h2><p>The help file <b>%1</b> "
                                       "was not found. Reinstall Yardmark '99 to restore it.</p>")
                            .arg(m_helpFile.toHtmlEscaped()));
    } else {
        QUrl url = QUrl::fromLocalFile(m_helpFile);
        window->setSource(url, QTextDocument::HtmlResource);
        if (!anchor.isEmpty())
            window->scrollToAnchor(anchor);
        else
            window->verticalScrollBar()->setValue(0);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void HelpViewer::showTopic(int contextId)
{
    m_lastRequest = contextId;
    show(QString::number(contextId));
}

void HelpViewer::showContents()
{
    m_lastRequest = 0;
    show(QString());
}

void HelpViewer::close()
{
    if (m_window)
        m_window->close();
}

void showHelpTopic(QWidget* asker, int contextId)
{
    HelpViewer::of(asker)->showTopic(contextId);
}

void showHelpContents(QWidget* asker)
{
    HelpViewer::of(asker)->showContents();
}

void quitHelp(QWidget* mainWindow)
{
    if (HelpViewer* viewer = viewerOf(topOf(mainWindow)))
        viewer->close();
}

QString helpFilePathFor(const QString& programFolder)
{
    const QString name = QStringLiteral("Yardmark99.HLP");
    if (programFolder.endsWith(QLatin1Char('/')) || programFolder.endsWith(QLatin1Char('\\')))
        return programFolder + name;
    return programFolder + QLatin1Char('/') + name;
}
