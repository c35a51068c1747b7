#pragma once

#include "core/globaledit/GlobalEditEngine.h"

#include <QObject>
#include <functional>
#include <memory>

class QThread;

namespace globaledit {

// Runs one global edit on a worker thread with its own connection, so the
// user interface keeps painting while the file is locked. Reports reach the
// thread that made the job by queued signals, at most one progress report
// per ReportIntervalMs and one at the end of each position.
class EditJob : public QObject
{
    Q_OBJECT
public:
    static constexpr int ReportIntervalMs = 30;

    // beforeChanges: see RunOptions; it runs on the worker thread.
    EditJob(const QString& path, const GlobalEdit& edit,
            std::function<db::Error(db::Database&)> beforeChanges = {}, QObject* parent = nullptr);
    ~EditJob() override; // waits for the worker

    void start();
    // Blocks until the worker has ended; the edit's result.
    db::Error wait();
    // After wait(): the players changed in each position (all 0 on failure).
    const ChangedPlayers& changedPlayers() const { return m_changed; }

signals:
    void positionStarted(int position, qint64 players);
    void playersDone(int position, qint64 done);
    void finished();

private:
    void run();

    QString m_path;
    GlobalEdit m_edit;
    std::function<db::Error(db::Database&)> m_beforeChanges;
    ChangedPlayers m_changed{};
    std::unique_ptr<QThread> m_thread;
    db::Error m_result;
};

} // namespace globaledit
