#pragma once

#include <QObject>

// While long work runs on a worker, the user can start nothing else and
// close nothing: for the blocker's lifetime input to every window is dropped
// (not queued for later), while painting, timers and the work's reports go
// on.
class InputBlocker : public QObject
{
public:
    InputBlocker();
    ~InputBlocker() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
