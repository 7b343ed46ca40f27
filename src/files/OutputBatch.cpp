#include "files/OutputBatch.h"

#include "files/ReplacingSave.h"

OutputBatch::~OutputBatch()
{
    if (!writer_.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
    }
    wake_.notify_one();
    writer_.join(); // after the piece in hand, if any: the caller may drop the device next
}

bool OutputBatch::flush()
{
    if (!waitWritten())
        return false;
    const bool ok = writeAll(out_, bytes.data(), bytes.size());
    bytes.clear();
    return ok;
}

bool OutputBatch::handOff()
{
    if (!waitWritten())
        return false;
    std::swap(bytes, writing_);
    bytes.clear();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        pending_ = true;
    }
    if (!writer_.joinable())
        writer_ = std::thread([this] { writeHandedOff(); });
    else
        wake_.notify_one();
    return true;
}

// Waits until the piece handed off is written; false when a write failed.
bool OutputBatch::waitWritten()
{
    std::unique_lock<std::mutex> lock(mutex_);
    written_.wait(lock, [this] { return !pending_; });
    return !failed_;
}

void OutputBatch::writeHandedOff()
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return pending_ || closing_; });
        if (!pending_)
            return;
        lock.unlock();
        const bool ok = writeAll(out_, writing_.data(), writing_.size());
        lock.lock();
        failed_ = failed_ || !ok;
        pending_ = false;
        written_.notify_one();
    }
}
