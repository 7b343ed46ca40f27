#include "EventLoopWait.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

bool pumpUntil(const std::function<bool()>& done, int limitMs)
{
    QTimer heartbeat; // wakes the loop when nothing arrives
    heartbeat.start(10);
    QElapsedTimer elapsed;
    elapsed.start();
    QEventLoop loop;
    while (!done()) {
        if (elapsed.elapsed() > limitMs)
            return false;
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void pumpFor(int ms)
{
    QElapsedTimer elapsed;
    elapsed.start();
    pumpUntil([&] { return elapsed.elapsed() >= ms; });
}
