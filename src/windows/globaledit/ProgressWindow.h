#pragma once

#include <QProgressDialog>

class QLabel;
class QProgressBar;

// "Please Wait....": names the position the global edit works on and how far
// it has got. Shows the hourglass for as long as it is loaded. One at a
// time, a small tool window centred on the screen, outside the MDI area; a
// progress dialog without Cancel (nothing stops an edit half-way) and not
// modal (the edit's own input blocker keeps input from every window).
class ProgressWindow : public QProgressDialog
{
    Q_OBJECT
public:
    // Loads the window over owner (hourglass on); the global edit dialog
    // holds the one it shows and deletes it when its work ends.
    explicit ProgressWindow(QWidget* owner);
    ~ProgressWindow() override;

    // Advances the bar by step unless that would take it past 100.
    void advanceBy(float step);
    void setProgressValue(float value);
    void setCaption(const QString& text);
    QString caption() const;

    // Shows the window, not modal; centred on the screen when it opens.
    void showCentred();

protected:
    void reject() override; // Escape does not take the window away

private:
    void showHourglass();

    QLabel* m_caption = nullptr;
    QProgressBar* m_bar = nullptr;
    float m_value = 0; // single precision, as the bar's value always was
};
