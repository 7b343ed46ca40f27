#pragma once

#include "files/ByteInterner.h"
#include "recording/ReadingStore.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>

// A lock held for a few microseconds at most: waiting spins instead of
// sleeping in the kernel, whose wake-up costs more than the wait.
class SpinLock {
public:
    void lock()
    {
        for (int spins = 0; held_.exchange(true, std::memory_order_acquire);) {
            while (held_.load(std::memory_order_relaxed)) {
                if (++spins % 256 == 0)
                    std::this_thread::yield(); // the holder may wait for this core
                else
                    pause();
            }
        }
    }
    void unlock() { held_.store(false, std::memory_order_release); }

private:
    static void pause()
    {
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
    }
    std::atomic<bool> held_{false};
};

// The text pool of a store being filled by readers on several threads.
// Each reader keeps a byte cache of its own and comes here only for bytes
// it meets for the first time: under one lock they are looked up among the
// bytes any reader met, and only bytes new to all are decoded and interned.
// Rows are appended under the same lock.
class SharedPool {
public:
    explicit SharedPool(ReadingStore& rows) : rows_(rows) {}

    quint32 intern(const QString& text)
    {
        std::lock_guard<SpinLock> lock(mutex_);
        return rows_.internText(text);
    }
    // decode() gives the text of the key's bytes, or nothing when they
    // have none (then so does this).
    template <typename Decode>
    std::optional<quint32> intern(const ByteInterner::Key& key, const Decode& decode)
    {
        std::lock_guard<SpinLock> lock(mutex_);
        quint32 id = known_.find(key);
        if (id == ByteInterner::kMissing) {
            const std::optional<QString> text = decode();
            if (!text)
                return std::nullopt;
            id = rows_.internText(*text);
            known_.insert(key, id);
        }
        return id;
    }
    SpinLock& mutex() { return mutex_; }

    // Appends rows in order, by one thread at a time; the pool is locked
    // only for a row that needs a text interned, so that readers interning
    // meanwhile do not wait. False when the store would pass the most rows
    // it holds (those before are appended).
    bool append(const ReadingStore::RowCodes* rows, size_t count)
    {
        constexpr int kMostRows = std::numeric_limits<int>::max();
        for (size_t i = 0; i < count;) {
            const auto room = static_cast<size_t>(kMostRows - rows_.rowCount());
            if (room == 0)
                return false;
            const size_t batch = std::min(room, count - i);
            const size_t done = rows_.appendCodesLeavingPool(rows + i, batch);
            i += done;
            if (done < batch) { // this row needs a text interned
                std::lock_guard<SpinLock> lock(mutex_);
                rows_.appendCodes(rows[i++]);
            }
        }
        return true;
    }

private:
    ReadingStore& rows_;
    ByteInterner known_;
    SpinLock mutex_;
};
