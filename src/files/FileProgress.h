#pragma once

#include <QtGlobal>

#include <atomic>

// What the GUI thread and the worker that reads or writes a file share: the
// worker counts the bytes done against the total, the GUI thread shows the
// count and may ask the worker to stop. These atomics are the only state the
// two threads touch together.
struct FileProgress {
    std::atomic<qint64> done{0};
    std::atomic<qint64> total{0};
    std::atomic<bool> cancelRequested{false};

    bool cancelled() const { return cancelRequested.load(std::memory_order_relaxed); }
    // Parts per thousand done, for a progress bar.
    int perMille() const
    {
        const qint64 t = total.load(std::memory_order_relaxed);
        const qint64 d = done.load(std::memory_order_relaxed);
        return t <= 0 ? 0 : static_cast<int>(qBound(qint64(0), d * 1000 / t, qint64(1000)));
    }
};
