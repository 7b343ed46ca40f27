#pragma once

#include "files/FileProgress.h"

#include <QByteArray>
#include <QIODevice>

#include <algorithm>
#include <cstring>
#include <memory>

// Bytes of formatted rows, appended without the checks of a shared byte
// array: writers append a few bytes at a time, millions of times.
class ByteBuffer {
public:
    void append(const char* p, qsizetype n)
    {
        if (size_ + n > capacity_)
            grow(n);
        std::memcpy(data_.get() + size_, p, static_cast<size_t>(n));
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

// Rows are formatted into one buffer and handed to the device in pieces of
// about 256 KB; the progress counts rows.
class OutputBatch {
public:
    OutputBatch(QIODevice& out, FileProgress* progress) : out_(out), progress_(progress) {}
    static constexpr int kRowsPerRead = 4096;
    static constexpr qsizetype kFlushAt = 256 * 1024;

    bool flushIfFull() { return bytes.size() < kFlushAt || flush(); }
    // A file may take only part of the bytes (at its size limit or on a
    // full disk) without reporting an error; the rest is offered again, so
    // that the refusal which follows carries the system's reason.
    bool flush()
    {
        const char* data = bytes.data();
        qint64 left = bytes.size();
        while (left > 0) {
            const qint64 written = out_.write(data, left);
            if (written <= 0)
                return false;
            data += written;
            left -= written;
        }
        bytes.clear();
        return true;
    }
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
    QIODevice& out_;
    FileProgress* progress_;
};
