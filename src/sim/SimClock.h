#pragma once

#include <QtGlobal>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

// The time the simulated meter and cable run on, in microseconds since the
// simulator was switched on. The program runs on the system clock; tests run
// on a clock that jumps to whatever the simulator waits for, so a session of
// minutes passes in milliseconds and always in the same order.
class SimClock {
public:
    virtual ~SimClock() = default;

    virtual qint64 nowUs() const = 0;

    // Waits (lock held on entry and on return, released while waiting) until
    // the clock reaches dueUs or interrupted() holds; cv is notified whenever
    // interrupted() may have changed.
    virtual void waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                           qint64 dueUs, const std::function<bool()>& interrupted) = 0;

    static std::unique_ptr<SimClock> system();
    // Never waits: each wait moves the clock straight to its due time.
    static std::unique_ptr<SimClock> jumping();
};
