#include "ui/Prompts.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QQueue>
#include <QRegularExpression>
#include <algorithm>
#include <optional>

namespace Prompts {

namespace {
struct TestState {
    bool enabled = false;
    QQueue<QMessageBox::StandardButton> answers;
    QQueue<QString> inputs;
    QQueue<QString> fileNames;
    QList<Shown> shown;
    QStringList problems;
};

// The main window's own property that holds its file dialogs' start folder.
constexpr char StartFolderProperty[] = "startFolder";

// The widget at the top of w's parents: the main window of a dialog made
// over it, too.
QWidget* topOf(QWidget* w)
{
    while (w && w->parentWidget())
        w = w->parentWidget();
    return w;
}

TestState& test()
{
    static TestState state;
    return state;
}

void record(Shown shown, QWidget* parent)
{
    shown.owner = owner(parent);
    test().shown.append(shown);
}
} // namespace

QWidget* owner(QWidget* parent)
{
    if (parent && parent->window()->isVisible())
        return parent->window();
    // The program has one main window.
    const QWidgetList windows = QApplication::topLevelWidgets();
    const auto main = std::find_if(windows.begin(), windows.end(), [](QWidget* w) {
        return qobject_cast<QMainWindow*>(w) && w->isVisible();
    });
    if (main != windows.end())
        return *main;
    return parent ? parent->window() : QApplication::activeWindow();
}

QMessageBox::StandardButton message(QWidget* parent, const QString& text, QMessageBox::Icon icon,
                                    QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton)
{
    if (test().enabled) {
        record({QStringLiteral("message"), text, icon, buttons, {}}, parent);
        if (!test().answers.isEmpty())
            return test().answers.dequeue();
        if (buttons == QMessageBox::Ok)
            return QMessageBox::Ok;
        test().problems << QStringLiteral("unanswered question: ") + text;
        return QMessageBox::No;
    }
    QMessageBox box(icon, applicationTitle(), text, buttons, owner(parent));
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QMessageBox::StandardButton
choose(QWidget* parent, const QString& text,
       const QList<std::pair<QMessageBox::StandardButton, QString>>& buttons,
       const QString& details)
{
    QMessageBox::StandardButtons all;
    QStringList captions;
    for (const auto& [button, caption] : buttons) {
        all |= button;
        captions << caption;
    }
    if (test().enabled) {
        Shown shown{QStringLiteral("message"), text, QMessageBox::Question, all, {}};
        shown.captions = captions;
        record(shown, parent);
        if (!test().answers.isEmpty())
            return test().answers.dequeue();
        test().problems << QStringLiteral("unanswered question: ") + text;
        return buttons.isEmpty() ? QMessageBox::NoButton : buttons.last().first;
    }
    QMessageBox box(QMessageBox::Question, applicationTitle(), text, all, owner(parent));
    for (const auto& [button, caption] : buttons)
        box.button(button)->setText(caption);
    if (!buttons.isEmpty())
        box.setEscapeButton(buttons.last().first);
    box.setDetailedText(details);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

bool ask(QWidget* parent, const QString& text, QMessageBox::StandardButton defaultButton)
{
    return message(parent, text, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                   defaultButton) == QMessageBox::Yes;
}

void refuse(QWidget* parent, const QString& text)
{
    beep();
    message(parent, text, QMessageBox::Warning, QMessageBox::Ok);
}

void showError(QWidget* parent, const QString& text)
{
    message(parent, text);
}

namespace {
// Completes the word under the cursor, not the whole text: "TeamId = 1 And Cu"
// offers CurrentPos.
class WordCompleter : public QCompleter
{
public:
    WordCompleter(const QStringList& words, QLineEdit* edit) : QCompleter(words, edit), m_edit(edit)
    {
        setCaseSensitivity(Qt::CaseInsensitive);
        setWidget(edit);
        connect(edit, &QLineEdit::textEdited, this, [this](const QString& text) {
            const QString word = text.mid(wordStart(text));
            if (word.isEmpty()) {
                popup()->hide();
                return;
            }
            setCompletionPrefix(word);
            complete();
        });
        connect(this, qOverload<const QString&>(&QCompleter::activated), this,
                [this](const QString& word) {
                    m_edit->setText(m_edit->text().left(wordStart(m_edit->text())) + word);
                });
    }

private:
    static qsizetype wordStart(const QString& text)
    {
        qsizetype start = text.size();
        while (start > 0 && (text.at(start - 1).isLetterOrNumber() || text.at(start - 1) == u'_'))
            --start;
        return start;
    }
    QLineEdit* m_edit;
};
} // namespace

QString input(QWidget* parent, const QString& prompt, const QStringList& words)
{
    if (test().enabled) {
        record({QStringLiteral("input"), prompt, QMessageBox::NoIcon, {}, words}, parent);
        if (!test().inputs.isEmpty())
            return test().inputs.dequeue();
        test().problems << QStringLiteral("unanswered input box: ") + prompt;
        return {};
    }
    QInputDialog box(owner(parent));
    box.setWindowTitle(applicationTitle());
    box.setLabelText(prompt);
    box.setInputMode(QInputDialog::TextInput);
    if (auto* edit = box.findChild<QLineEdit*>(); edit && !words.isEmpty())
        new WordCompleter(words, edit);
    return box.exec() == QDialog::Accepted ? box.textValue() : QString();
}

namespace {
// The file name a test queued, recording the dialog; nullopt outside tests.
std::optional<QString> queuedFileName(QWidget* parent, const QString& title,
                                      const QStringList& filters, const QString& startPath)
{
    if (!test().enabled)
        return std::nullopt;
    Shown shown{QStringLiteral("file"), title, QMessageBox::NoIcon, {}, filters};
    shown.startPath = startPath;
    record(shown, parent);
    if (!test().fileNames.isEmpty())
        return test().fileNames.dequeue();
    test().problems << QStringLiteral("unanswered file dialog: ") + title;
    return QString();
}
} // namespace

void setStartFolder(QWidget* mainWindow, const QString& folder)
{
    mainWindow->setProperty(StartFolderProperty, folder);
}

QString startFolder(QWidget* parent)
{
    const QWidget* main = topOf(owner(parent));
    const QString folder = main ? main->property(StartFolderProperty).toString() : QString();
    return folder.isEmpty() ? QDir::homePath() : folder;
}

QString openFileName(QWidget* parent, const QString& title, const QStringList& filters)
{
    const QString start = startFolder(parent);
    if (const auto queued = queuedFileName(parent, title, filters, start))
        return *queued;
    QString selected = filters.value(0);
    return QFileDialog::getOpenFileName(owner(parent), title, start,
                                        filters.join(QStringLiteral(";;")), &selected);
}

QString saveFileName(QWidget* parent, const QString& title, const QStringList& filters,
                     const QString& suggested, bool askBeforeReplacing)
{
    const QString start = QDir(startFolder(parent)).filePath(suggested);
    if (const auto queued = queuedFileName(parent, title, filters, start))
        return *queued;
    QFileDialog dialog(owner(parent), title, start, filters.join(QStringLiteral(";;")));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !askBeforeReplacing);
    // A name typed without an extension gets the first filter's: "view" is
    // saved as "view.csv", and the question about replacing a file is asked
    // about that name.
    static const QRegularExpression extension(QStringLiteral("\\*\\.(\\w+)"));
    if (const QRegularExpressionMatch m = extension.match(filters.value(0)); m.hasMatch())
        dialog.setDefaultSuffix(m.captured(1));
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

void beep()
{
    if (test().enabled) {
        test().shown.append({QStringLiteral("beep"), {}, QMessageBox::NoIcon, {}, {}});
        return;
    }
    QApplication::beep();
}

void enableTestMode()
{
    test().enabled = true;
}

void setNextAnswer(QMessageBox::StandardButton answer)
{
    test().answers.enqueue(answer);
}

void setNextInput(const QString& text)
{
    test().inputs.enqueue(text);
}

void setNextFileName(const QString& path)
{
    test().fileNames.enqueue(path);
}

const QList<Shown>& shown()
{
    return test().shown;
}

QString finishTest()
{
    TestState& t = test();
    QStringList problems = t.problems;
    if (!t.answers.isEmpty())
        problems << QStringLiteral("%1 message answer(s) left unused").arg(t.answers.size());
    if (!t.inputs.isEmpty())
        problems << QStringLiteral("%1 input(s) left unused").arg(t.inputs.size());
    if (!t.fileNames.isEmpty())
        problems << QStringLiteral("%1 file name(s) left unused").arg(t.fileNames.size());
    t.answers.clear();
    t.inputs.clear();
    t.fileNames.clear();
    t.shown.clear();
    t.problems.clear();
    return problems.join(QStringLiteral("; "));
}

} // namespace Prompts
