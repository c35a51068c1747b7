#pragma once

#include "core/globaledit/GlobalEditEngine.h"
#include "core/globaledit/GlobalEditPreview.h"

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>

class QThread;

namespace globaledit {

// The one shape of the global edit's workers: run() works on a thread of its
// own with a connection of its own, so the user interface keeps painting
// while it reads or locks the file. It reports by signals only, which reach
// the thread that made the job queued; what it works out stays in the job
// and is read once the worker has ended. Nothing outside the job is written
// from the worker.
class Job : public QObject
{
    Q_OBJECT
public:
    ~Job() override; // waits for the worker

    void start();
    // run() sees it at its next report and ends early.
    void requestStop() { m_stopRequested = true; }
    // Blocks until the worker has ended; run()'s result.
    db::Error wait();

signals:
    void finished(); // run() has returned

protected:
    explicit Job(QObject* parent);
    bool stopRequested() const { return m_stopRequested; }
    // On the worker thread. Every job's destructor calls wait() first: the
    // worker uses the job's own members.
    virtual db::Error run() = 0;

private:
    std::unique_ptr<QThread> m_thread;
    std::atomic<bool> m_stopRequested{false};
    db::Error m_result;
};

// Runs one global edit. At most one progress report per ReportIntervalMs
// and one at the end of each position.
class EditJob final : public Job
{
    Q_OBJECT
public:
    static constexpr int ReportIntervalMs = 30;

    // beforeChanges: see RunOptions; it runs on the worker thread.
    EditJob(const QString& path, const GlobalEdit& edit,
            std::function<db::Error(db::Database&)> beforeChanges = {}, QObject* parent = nullptr);
    ~EditJob() override { wait(); }

    // After wait(): the players changed in each position (all 0 on failure).
    const ChangedPlayers& changedPlayers() const { return m_changed; }

signals:
    void positionStarted(int position, qint64 players);
    void playersDone(int position, qint64 done);

private:
    db::Error run() override;

    QString m_path;
    GlobalEdit m_edit;
    std::function<db::Error(db::Database&)> m_beforeChanges;
    ChangedPlayers m_changed{};
};

// Works out the preview of one global edit; requestStop() ends it early.
class PreviewJob final : public Job
{
    Q_OBJECT
public:
    PreviewJob(const QString& path, const GlobalEdit& edit, QObject* parent = nullptr);
    ~PreviewJob() override { wait(); }

    // After wait(): the figures (partial when it was stopped).
    const PreviewResult& result() const { return m_result; }
    // Hands the figures over without copying the list of changed players.
    PreviewResult takeResult() { return std::move(m_result); }

signals:
    // The share of the work done, in thousandths, whenever it grows.
    void progressed(int permille);

private:
    db::Error run() override;

    QString m_path;
    GlobalEdit m_edit;
    PreviewResult m_result;
};

} // namespace globaledit
