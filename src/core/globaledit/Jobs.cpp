#include "core/globaledit/Jobs.h"

#include <QElapsedTimer>
#include <QThread>
#include <utility>

namespace globaledit {

Job::Job(QObject* parent) : QObject(parent) {}

Job::~Job()
{
    wait();
}

void Job::start()
{
    m_stopRequested = false;
    m_thread.reset(QThread::create([this] { m_result = run(); }));
    // Emitted on the worker, delivered here as a queued signal.
    connect(m_thread.get(), &QThread::finished, this, &Job::finished);
    m_thread->start();
}

db::Error Job::wait()
{
    if (m_thread)
        m_thread->wait();
    return m_result;
}

EditJob::EditJob(const QString& path, const GlobalEdit& edit,
                 std::function<db::Error(db::Database&)> beforeChanges, QObject* parent)
    : Job(parent), m_path(path), m_edit(edit), m_beforeChanges(std::move(beforeChanges))
{
}

db::Error EditJob::run()
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
    return runGlobalEdit(m_path, m_edit, options, &m_changed);
}

PreviewJob::PreviewJob(const QString& path, const GlobalEdit& edit, QObject* parent)
    : Job(parent), m_path(path), m_edit(edit)
{
}

db::Error PreviewJob::run()
{
    int reported = 0;
    PreviewProgress progress;
    progress.progress = [&](double done) {
        if (const int permille = int(done * 1000); permille > reported) {
            reported = permille;
            emit progressed(permille);
        }
        return !stopRequested();
    };
    return computePreview(m_path, m_edit, m_result, progress);
}

} // namespace globaledit
