#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;
class QTextBrowser;

// The help viewer. The help file "Yardmark99.HLP" is an HTML page in the
// program's folder; a topic is the anchor named by its context id.
namespace helpTopic {
inline constexpr int GlobalEdit = 320;
inline constexpr int PlayerSettings = 520;
} // namespace helpTopic

// The help of one main window, as a system help viewer would be: one
// top-level window of its own beside the main window, which every Help
// button of the windows and dialogs over it reaches. The viewer is a child
// of the main window (the top of the asking widget's parents), made there
// on first use, so it goes with that window and no global holds it.
class HelpViewer : public QObject
{
    Q_OBJECT
public:
    explicit HelpViewer(QWidget* mainWindow);
    ~HelpViewer() override;

    // The viewer of the main window asker belongs to; made on first use.
    static HelpViewer* of(QWidget* asker);

    // The help file is looked for in programFolder; the executable's folder
    // unless set.
    void setProgramFolder(const QString& programFolder);
    void showTopic(int contextId);
    void showContents();
    // Closes the help window: the program no longer needs it.
    void close();

    // The help window, or nullptr while none is open.
    QTextBrowser* window() const;
    // The last topic asked for: a context id, 0 for the contents, -1 for none.
    int lastRequest() const { return m_lastRequest; }

private:
    void show(const QString& anchor);
    QTextBrowser* ensureWindow();

    QString m_helpFile;
    int m_lastRequest = -1;
    QPointer<QTextBrowser> m_window;
};

// The Help buttons' and menu's ways in: asker is the widget that asks.
void showHelpTopic(QWidget* asker, int contextId);
void showHelpContents(QWidget* asker);
// Closes the help window of mainWindow, if it has one open.
void quitHelp(QWidget* mainWindow);

// The help file path for a program folder: the folder, a separator unless
// the folder already ends in one, then "Yardmark99.HLP".
QString helpFilePathFor(const QString& programFolder);
