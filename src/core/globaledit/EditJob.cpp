#include "core/globaledit/EditJob.h"

#include <QElapsedTimer>
#include <QThread>
#include <functional>
#include <utility>

namespace globaledit {

EditJob::EditJob(const QString& path, const GlobalEdit& edit,
                 std::function<db::Error(db::Database&)> beforeChanges, QObject* parent)
    : QObject(parent), m_path(path), m_edit(edit), m_beforeChanges(std::move(beforeChanges))
{
}

EditJob::~EditJob()
{
    wait();
}

void EditJob::start()
{
    m_thread.reset(QThread::create([this] { run(); }));
    // Emitted on the worker, delivered here as a queued signal.
    connect(m_thread.get(), &QThread::finished, this, &EditJob::finished);
    m_thread->start();
}

db::Error EditJob::wait()
{
    if (m_thread)
        m_thread->wait();
    return m_result;
}

// On the worker thread.
void EditJob::run()
{
    QElapsedTimer clock;
    int position = -1;
    qint64 done = 0;
    RunOptions options;
    options.beforeChanges = m_beforeChanges;
    EditProgress& progress = options.progress;
    progress.positionStarted = [&](int p, qint64 players) {
        position = p;
        done = 0;
        emit positionStarted(p, players);
        clock.start();
    };
    progress.playerDone = [&] {
        ++done;
        if (clock.elapsed() >= ReportIntervalMs) {
            emit playersDone(position, done);
            clock.restart();
        }
    };
    progress.positionFinished = [&](int p, qint64) { emit playersDone(p, done); };
    m_result = runGlobalEdit(m_path, m_edit, options, &m_changed);
}

} // namespace globaledit
