#include "ui/WorkerProgress.h"

#include <QDeadlineTimer>
#include <QDialog>
#include <QThread>
#include <memory>

void runShowingProgress(WorkerProgressDialog& window, const std::function<void()>& work,
                        int showAfterMs)
{
    std::unique_ptr<QThread> worker(QThread::create(work));
    QObject::connect(worker.get(), &QThread::finished, &window, &QDialog::accept,
                     Qt::QueuedConnection);
    worker->start();
    if (!worker->wait(QDeadlineTimer(showAfterMs)))
        window.exec(); // ends only once the work has: Cancel asks it to stop
    worker->wait();
}

WorkerProgressDialog::WorkerProgressDialog(const QString& labelText, const QString& cancelText,
                                           int minimum, int maximum, QWidget* owner)
    : QProgressDialog(labelText, cancelText, minimum, maximum, owner)
{
    setWindowModality(Qt::WindowModal);
    // Cancel would hide the window at once (and reset the bar) while the
    // work still runs: it only asks the work to stop.
    disconnect(this, SIGNAL(canceled()), this, SLOT(cancel()));
    connect(this, &QProgressDialog::canceled, this, &WorkerProgressDialog::requestStop);
}

void WorkerProgressDialog::reject()
{
    emit canceled();
}

void WorkerProgressDialog::requestStop()
{
    m_stop = true;
    setLabelText(QStringLiteral("Cancelling\u2026"));
}
