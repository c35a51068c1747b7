#pragma once

#include <atomic>
#include <functional>

class QDialog;

// Runs work on a worker thread while window waits for it, window-modal, and
// returns once work has returned: the work reports to the window by queued
// calls, and no nested loop of the caller's own is needed. The window shows
// only when the work outlasts showAfterMs (no input is taken meanwhile); it
// closes itself when the work is done. When the window is closed first
// (Cancel), *stop is set so the work ends early.
void runShowingProgress(QDialog& window, const std::function<void()>& work,
                        std::atomic<bool>* stop = nullptr, int showAfterMs = 0);
