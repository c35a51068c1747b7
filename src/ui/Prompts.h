#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

class QWidget;

// Every message box, input box, file dialog and beep of the program goes
// through here. Tests switch to test mode and queue the answers, so no test
// ever blocks on a modal window; an unanswered question or an unused answer
// makes finishTest() fail.
namespace Prompts {

// The application title every message box carries.
inline QString applicationTitle()
{
    return QStringLiteral("Yardmark99");
}

// A message box titled with the application title. Returns the button pressed.
QMessageBox::StandardButton
message(QWidget* parent, const QString& text, QMessageBox::Icon icon = QMessageBox::NoIcon,
        QMessageBox::StandardButtons buttons = QMessageBox::Ok,
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
// A question whose buttons carry captions of their own ("Write 3 Changes"):
// each a standard button with its text, in order. details, when given, is
// shown under Show Details…. Returns the button pressed (Cancel or Escape:
// the last button).
QMessageBox::StandardButton
choose(QWidget* parent, const QString& text,
       const QList<std::pair<QMessageBox::StandardButton, QString>>& buttons,
       const QString& details = {});
// A Yes/No question with the question icon; true only for Yes.
bool ask(QWidget* parent, const QString& text,
         QMessageBox::StandardButton defaultButton = QMessageBox::Yes);
// A refusal: beep, exclamation icon, OK.
void refuse(QWidget* parent, const QString& text);
// The standard error box: an error's message as db::Error::message words it
// ("Error:" + number + " " + description), OK, no icon.
void showError(QWidget* parent, const QString& message);

// An input box; empty text on Cancel. Words, when given, are offered as the
// word under the cursor is typed (field names in a filter), case ignored.
QString input(QWidget* parent, const QString& prompt, const QStringList& words = {});
// An open-file dialog, starting in the start folder of parent's main window;
// empty text on Cancel.
// filters as "desc (pattern)" entries.
QString openFileName(QWidget* parent, const QString& title, const QStringList& filters);
// A save-file dialog (it asks before replacing a file, unless the caller
// refuses existing files itself); empty text on Cancel. A name without an
// extension gets the first filter's. suggested: the name (or path) the dialog
// offers; a bare name is offered in the start folder.
QString saveFileName(QWidget* parent, const QString& title, const QStringList& filters,
                     const QString& suggested = {}, bool askBeforeReplacing = true);

// Where the file dialogs over mainWindow start: its league's folder. Empty
// (the default) starts them in the user's home folder. The main window
// holds it; the dialogs find it through the box's owner.
void setStartFolder(QWidget* mainWindow, const QString& folder);
QString startFolder(QWidget* parent);

void beep();

// The window a box centres on and belongs to: the parent's window when it is
// on screen, otherwise the main window (a parent still loading, or none).
QWidget* owner(QWidget* parent);

// Test mode.
struct Shown {
    QString kind; // "message", "input", "file", "beep"
    QString text; // message text, input prompt or dialog title
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QStringList filters;       // file dialogs; an input box: the words it offers
    QWidget* owner = nullptr;  // the window the box would centre on
    QString startPath = {};    // file dialogs: the folder or file they open at
    QStringList captions = {}; // choose(): the buttons' own captions
};
void enableTestMode();
void setNextAnswer(QMessageBox::StandardButton answer);
void setNextInput(const QString& text);    // an empty text means Cancel
void setNextFileName(const QString& path); // an empty path means Cancel
const QList<Shown>& shown();               // everything prompted since the last finishTest
// Clears the queues and the record; returns what went wrong (empty when all was well).
QString finishTest();

} // namespace Prompts
