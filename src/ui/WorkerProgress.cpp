#include "ui/WorkerProgress.h"

#include <QDeadlineTimer>
#include <QDialog>
#include <QThread>
#include <memory>

void runShowingProgress(QDialog& window, const std::function<void()>& work, std::atomic<bool>* stop,
                        int showAfterMs)
{
    std::unique_ptr<QThread> worker(QThread::create(work));
    QObject::connect(worker.get(), &QThread::finished, &window, &QDialog::accept,
                     Qt::QueuedConnection);
    worker->start();
    if (!worker->wait(QDeadlineTimer(showAfterMs))) {
        window.exec();
        if (stop && !worker->isFinished())
            *stop = true;
    }
    worker->wait();
}
