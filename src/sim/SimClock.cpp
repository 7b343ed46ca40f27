#include "sim/SimClock.h"

#include <atomic>
#include <chrono>

namespace {

class SystemClock final : public SimClock {
public:
    qint64 nowUs() const override
    {
        return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start_).count();
    }

    void waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, qint64 dueUs,
                   const std::function<bool()>& interrupted) override
    {
        cv.wait_until(lock, start_ + std::chrono::microseconds(dueUs), interrupted);
    }

private:
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start_ = Clock::now();
};

class JumpingClock final : public SimClock {
public:
    qint64 nowUs() const override { return now_.load(); }

    void waitUntil(std::unique_lock<std::mutex>&, std::condition_variable&, qint64 dueUs,
                   const std::function<bool()>& interrupted) override
    {
        if (interrupted())
            return;
        qint64 now = now_.load();
        while (now < dueUs && !now_.compare_exchange_weak(now, dueUs)) {
        }
    }

private:
    std::atomic<qint64> now_{0};
};

} // namespace

std::unique_ptr<SimClock> SimClock::system()
{
    return std::make_unique<SystemClock>();
}

std::unique_ptr<SimClock> SimClock::jumping()
{
    return std::make_unique<JumpingClock>();
}
