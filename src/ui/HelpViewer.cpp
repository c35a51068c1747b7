#include "ui/HelpViewer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>

namespace {
// The program-wide help viewer, as a system help viewer would be: a
// top-level window of its own outside the main window, reached from every
// window's Help button and key without a path to the main window, and
// closed by quitHelp() when the program ends. So it is held here rather
// than by any one window.
QString s_helpFile;
int s_lastRequest = -1;
QPointer<QTextBrowser> s_window;

QTextBrowser* ensureWindow()
{
    if (!s_window) {
        s_window = new QTextBrowser;
        s_window->setObjectName(QStringLiteral("helpWindow"));
        s_window->setAttribute(Qt::WA_DeleteOnClose);
        s_window->setOpenExternalLinks(true);
        s_window->resize(640, 560);
        s_window->setAccessibleName(QStringLiteral("Yardmark '99 Help"));
        new QShortcut(QKeySequence(Qt::Key_Escape), s_window, s_window.data(), &QWidget::close);
    }
    return s_window;
}

void show(const QString& anchor)
{
    QTextBrowser* window = ensureWindow();
    window->setWindowTitle(QStringLiteral("Yardmark '99 Help"));
    if (!QFileInfo::exists(s_helpFile)) {
        // The viewer says so itself, the way a help viewer would; no message box.
        window->setHtml(QStringLiteral("<h2>Help is not available</h2><p>The help file <b>%1</b> "
                                       "was not found. Reinstall Yardmark '99 to restore it.</p>")
                            .arg(s_helpFile.toHtmlEscaped()));
    } else {
        QUrl url = QUrl::fromLocalFile(s_helpFile);
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
} // namespace

QString helpFilePathFor(const QString& programFolder)
{
    const QString name = QStringLiteral("Yardmark99.HLP");
    if (programFolder.endsWith(QLatin1Char('/')) || programFolder.endsWith(QLatin1Char('\\')))
        return programFolder + name;
    return programFolder + QLatin1Char('/') + name;
}

void initHelp()
{
    initHelp(QCoreApplication::applicationDirPath());
}

void initHelp(const QString& programFolder)
{
    s_helpFile = helpFilePathFor(programFolder);
}

void showHelpTopic(int contextId)
{
    s_lastRequest = contextId;
    show(QString::number(contextId));
}

void showHelpContents()
{
    s_lastRequest = 0;
    show(QString());
}

void quitHelp()
{
    if (s_window)
        s_window->close();
}

QTextBrowser* helpWindow()
{
    return s_window;
}

int lastHelpRequest()
{
    return s_lastRequest;
}
