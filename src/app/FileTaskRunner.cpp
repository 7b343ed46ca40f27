#include "app/FileTaskRunner.h"

#include "files/FileProgress.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

#include <memory>

void runFileTask(QWidget* window, const QString& label, FileProgress& progress,
                 const std::function<void()>& work)
{
    QEventLoop loop;
    std::unique_ptr<QThread> thread(QThread::create(work));
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);

    // Shown by its own timer once the work has lasted half a second.
    QProgressDialog dialog(label, QStringLiteral("Cancel"), 0, 1000, window);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(500);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, [&progress] {
        progress.cancelRequested.store(true, std::memory_order_relaxed);
    });
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, &dialog, [&dialog, &progress] {
        if (!dialog.wasCanceled())
            dialog.setValue(progress.perMille());
    });

    thread->start();
    poll.start();
    loop.exec();
    poll.stop();
    thread->wait();
}
