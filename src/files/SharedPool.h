#pragma once

#include "files/ByteInterner.h"
#include "recording/ReadingStore.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

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
// Each reader keeps a byte cache of its own (BlockTexts) and comes here
// once a block with the texts it met for the first time: under one lock
// they are looked up among the bytes any reader met, and only texts new to
// all are interned. Rows are appended under the same lock when they need a
// text interned, else without it.
class SharedPool {
public:
    explicit SharedPool(ReadingStore& rows) : rows_(rows) {}

    quint32 intern(const QString& text)
    {
        std::lock_guard<SpinLock> lock(mutex_);
        return rows_.internText(text);
    }
    // A text met for the first time, with the bytes it was read from when
    // it stands for them (their key then finds it again).
    struct NewText {
        ByteInterner::Key key;
        bool byBytes = false;
        QString text;
    };
    // The pool ids of the texts, in their order.
    void intern(const std::vector<NewText>& texts, std::vector<quint32>& ids)
    {
        ids.resize(texts.size());
        std::lock_guard<SpinLock> lock(mutex_);
        for (size_t i = 0; i < texts.size(); ++i) {
            const NewText& t = texts[i];
            quint32 id = t.byBytes ? known_.find(t.key) : ByteInterner::kMissing;
            if (id == ByteInterner::kMissing) {
                id = rows_.internText(t.text);
                if (t.byBytes)
                    known_.insert(t.key, id);
            }
            ids[i] = id;
        }
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
