#pragma once

#include <QByteArray>
#include <QIODevice>

#include "files/FileProgress.h"

// Rows are formatted into one buffer and handed to the device in pieces of
// about 256 KB; the progress counts rows.
class OutputBatch {
public:
    OutputBatch(QIODevice& out, FileProgress* progress) : out_(out), progress_(progress)
    {
        bytes.reserve(kFlushAt + 4096);
    }
    static constexpr int kRowsPerRead = 4096;
    static constexpr qsizetype kFlushAt = 256 * 1024;

    bool flushIfFull() { return bytes.size() < kFlushAt || flush(); }
    // A file may take only part of the bytes (at its size limit or on a
    // full disk) without reporting an error; the rest is offered again, so
    // that the refusal which follows carries the system's reason.
    bool flush()
    {
        const char* data = bytes.constData();
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

    QByteArray bytes;

private:
    QIODevice& out_;
    FileProgress* progress_;
};
