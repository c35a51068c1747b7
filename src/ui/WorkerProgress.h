#pragma once

#include <QProgressDialog>
#include <atomic>
#include <functional>

class WorkerProgressDialog;

// Runs work on a worker thread while window waits for it, window-modal, and
// returns once work has returned: the work reports to the window by queued
// calls, and no nested loop of the caller's own is needed. The window shows
// only when the work outlasts showAfterMs (no input is taken meanwhile); it
// closes itself when the work is done. The work learns of a Cancel from
// window.stopRequested().
void runShowingProgress(WorkerProgressDialog& window, const std::function<void()>& work,
                        int showAfterMs = 0);

// The progress window of work that stops at its own pace (a child process
// that is told to end): Cancel, Escape and the close box ask the work to stop
// and say "Cancelling…", and the window stays until runShowingProgress sees
// the work end. Its bar is set directly, never through setValue, which
// spins the event loop of a modal progress dialog.
class WorkerProgressDialog : public QProgressDialog
{
    Q_OBJECT
public:
    WorkerProgressDialog(const QString& labelText, const QString& cancelText, int minimum,
                         int maximum, QWidget* owner);

    // Cancel was asked for; read from the worker too.
    bool stopRequested() const { return m_stop.load(); }

protected:
    void reject() override;

private:
    void requestStop();

    std::atomic<bool> m_stop = false;
};
