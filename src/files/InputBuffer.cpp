#include "files/InputBuffer.h"

#include "files/FileProgress.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>

namespace {
constexpr qsizetype kChunk = 64 * 1024;
}

InputBuffer::InputBuffer(QIODevice& device, FileProgress* progress, qsizetype maxPiece)
    : device_(&device), progress_(progress), maxPiece_(maxPiece)
{
    viewBuffer();
}

InputBuffer::InputBuffer(const char* bytes, qsizetype size)
    : device_(nullptr), progress_(nullptr), maxPiece_(size), base_(bytes), end_(size)
{
}

// Whether reading may go on: not at the end, failed or cancelled (asked
// here).
bool InputBuffer::mayRead()
{
    if (atEnd_ || failed_ || cancelled_)
        return false;
    if (!device_) {
        atEnd_ = true;
        return false;
    }
    if (progress_ && progress_->cancelled()) {
        cancelled_ = true;
        return false;
    }
    return true;
}

// One read of the device; 0 at its end or on an error (the flags tell).
qint64 InputBuffer::readDevice(char* dest, qsizetype max)
{
    while (true) {
        const qint64 got = device_->read(dest, max);
        if (got < 0) {
            failed_ = true;
            return 0;
        }
        if (got > 0) {
            read_ += got;
            if (progress_)
                progress_->done.store(read_, std::memory_order_relaxed);
            return got;
        }
        // A file read to its end; a sequential device may only be waiting.
        if (device_->atEnd() || !device_->isSequential() || !device_->waitForReadyRead(-1)) {
            atEnd_ = true;
            return 0;
        }
    }
}

bool InputBuffer::more()
{
    if (!mayRead())
        return false;
    const qsizetype kept = size();
    if (kept >= maxPiece_) {
        tooLong_ = true;
        return false;
    }
    if (pos_ > 0) {
        std::memmove(buffer_.data(), buffer_.constData() + pos_, static_cast<size_t>(kept));
        pos_ = 0;
    }
    // Shrinking a QByteArray keeps its capacity: the padding stays behind
    // the bytes read.
    buffer_.resize(kept + kChunk + kPadding);
    const qint64 got = readDevice(buffer_.data() + kept, kChunk);
    buffer_.resize(kept + got);
    viewBuffer();
    return got > 0;
}

qint64 InputBuffer::remaining() const
{
    if (!device_)
        return size();
    if (device_->isSequential())
        return -1;
    return size() + std::max<qint64>(device_->size() - device_->pos(), 0);
}

qsizetype InputBuffer::readInto(char* dest, qsizetype max)
{
    if (const qsizetype kept = std::min(size(), max); kept > 0) {
        std::memcpy(dest, data(), static_cast<size_t>(kept));
        consume(kept);
        return kept;
    }
    if (max <= 0 || !mayRead())
        return 0;
    return static_cast<qsizetype>(readDevice(dest, max));
}
