#pragma once

#include <QWidget>
#include <functional>

class QTimer;

// The black splash window. m_showMainTimer shows the main window every second (the
// first time loads it); m_endSplashTimer ends the splash after three seconds.
class SplashWindow : public QWidget
{
    Q_OBJECT
public:
    // mainWindow returns the main window, creating it on the first call.
    explicit SplashWindow(std::function<QWidget*()> mainWindow, QWidget* parent = nullptr);
    ~SplashWindow() override;

    // A test seam: the shipped intervals are 1000 ms and 3000 ms; tests may
    // change them for the splashes made afterwards. Nothing else writes them.
    static void setIntervals(int showMainMs, int endSplashMs);

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void showMainWindow();
    void endSplash();
    void activated();
    void buildContents();

    std::function<QWidget*()> m_mainWindow;
    QTimer* m_showMainTimer = nullptr;
    QTimer* m_endSplashTimer = nullptr;
    bool m_hourglass = false;
};
