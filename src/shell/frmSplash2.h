#pragma once

#include <QWidget>
#include <functional>

class QTimer;

// The black splash window. Timer1 shows the main window every second (the
// first time loads it); Timer2 ends the splash after three seconds.
class frmSplash2 : public QWidget
{
    Q_OBJECT
public:
    // mainWindow returns the main window, creating it on the first call.
    explicit frmSplash2(std::function<QWidget*()> mainWindow, QWidget* parent = nullptr);
    ~frmSplash2() override;

    // The shipped intervals are 1000 ms and 3000 ms; tests may shorten them.
    static void setIntervals(int timer1Ms, int timer2Ms);

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Timer1_Timer();
    void Timer2_Timer();
    void Form_Activate();
    void buildContents();

    std::function<QWidget*()> m_mainWindow;
    QTimer* m_timer1 = nullptr;
    QTimer* m_timer2 = nullptr;
    bool m_hourglass = false;
};
