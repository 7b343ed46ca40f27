#pragma once

#include "files/FileProgress.h"

#include <QByteArray>
#include <QIODevice>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>

// Bytes of formatted rows, appended without the checks of a shared byte
// array: writers append a few bytes at a time, millions of times.
class ByteBuffer {
public:
    void append(const char* p, qsizetype n)
    {
        if (size_ + n > capacity_)
            grow(n);
        copy(data_.get() + size_, p, n);
        size_ += n;
    }
    void append(char c)
    {
        if (size_ == capacity_)
            grow(1);
        data_[size_++] = c;
    }
    void append(const QByteArray& bytes) { append(bytes.constData(), bytes.size()); }
    template <size_t N> void appendLiteral(const char (&text)[N]) { append(text, N - 1); }
    // Decimal text of a whole number, '-' first when negative.
    void appendDecimal(qint64 n)
    {
        char digits[20];
        int k = 0;
        quint64 magnitude = n < 0 ? 0u - static_cast<quint64>(n) : static_cast<quint64>(n);
        do {
            digits[k++] = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude);
        if (n < 0)
            append('-');
        while (k)
            append(digits[--k]);
    }

    const char* data() const { return data_.get(); }
    qsizetype size() const { return size_; }
    bool isEmpty() const { return size_ == 0; }
    void clear() { size_ = 0; }

private:
    // Fields are a few bytes long: two fixed-size copies that overlap cost
    // less than a call of memcpy for each. Only bytes [p, p + n) are read.
    static void copy(char* d, const char* p, qsizetype n)
    {
        const auto twice = [&](auto width) {
            constexpr qsizetype w = decltype(width)::value;
            std::memcpy(d, p, w);
            std::memcpy(d + n - w, p + n - w, w);
        };
        if (n >= 16 && n <= 32)
            twice(std::integral_constant<qsizetype, 16>());
        else if (n >= 8 && n < 16)
            twice(std::integral_constant<qsizetype, 8>());
        else if (n >= 4 && n < 8)
            twice(std::integral_constant<qsizetype, 4>());
        else if (n > 32)
            std::memcpy(d, p, static_cast<size_t>(n));
        else
            for (qsizetype i = 0; i < n; ++i)
                d[i] = p[i];
    }
    void grow(qsizetype n)
    {
        const qsizetype capacity = std::max(capacity_ * 2, size_ + n + 4096);
        std::unique_ptr<char[]> bigger(new char[static_cast<size_t>(capacity)]);
        if (size_)
            std::memcpy(bigger.get(), data_.get(), static_cast<size_t>(size_));
        data_ = std::move(bigger);
        capacity_ = capacity;
    }
    std::unique_ptr<char[]> data_;
    qsizetype size_ = 0, capacity_ = 0;
};

// Rows are formatted into one buffer, handed to the device in pieces of
// about 256 KB; the progress counts rows. A piece is written on a thread of
// its own while the next is formatted, so that the system's copy of the
// bytes and the formatting share the two cores; the device is used by one
// thread at a time, and only by the caller's once flush() has returned.
class OutputBatch {
public:
    OutputBatch(QIODevice& out, FileProgress* progress) : out_(out), progress_(progress) {}
    ~OutputBatch();
    OutputBatch(const OutputBatch&) = delete;
    OutputBatch& operator=(const OutputBatch&) = delete;

    static constexpr int kRowsPerRead = 4096;
    static constexpr qsizetype kFlushAt = 256 * 1024;

    // Hands a full piece to the writing thread; false once a write failed.
    bool flushIfFull() { return bytes.size() < kFlushAt || handOff(); }
    // Writes what is left and waits for every piece; false when any write
    // failed.
    bool flush();
    bool rowsDone(qint64 rows)
    {
        if (progress_) {
            progress_->done.store(rows, std::memory_order_relaxed);
            if (progress_->cancelled())
                return false;
        }
        return true;
    }
    void setTotal(qint64 rows)
    {
        if (progress_)
            progress_->total.store(rows, std::memory_order_relaxed);
    }

    ByteBuffer bytes;

private:
    bool handOff();
    bool waitWritten();
    void writeHandedOff();

    QIODevice& out_;
    FileProgress* progress_;
    ByteBuffer writing_; // handed off, written by the thread
    std::thread writer_;
    std::mutex mutex_;
    std::condition_variable wake_, written_;
    bool pending_ = false, failed_ = false, closing_ = false;
};
