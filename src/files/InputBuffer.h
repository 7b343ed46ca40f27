#pragma once

#include <QByteArray>

class QIODevice;
struct FileProgress;

// Reads a device in 64 KB chunks and keeps the bytes not yet consumed, so
// that a reader sees whole lines or elements without ever holding the file.
// A piece longer than the limit given is refused instead of growing the
// buffer without end.
//
// At least kPadding bytes past the end of the unconsumed bytes may be read
// (their values mean nothing), so scanners may load whole 64-byte blocks.
class InputBuffer {
public:
    static constexpr qsizetype kPadding = 64;

    explicit InputBuffer(QIODevice& device, FileProgress* progress = nullptr,
                         qsizetype maxPiece = 1 << 20);
    // The given bytes and nothing after them, for a reader of a block cut
    // from a file; kPadding bytes after them must be readable.
    InputBuffer(const char* bytes, qsizetype size);

    const char* data() const { return base_ + pos_; }
    qsizetype size() const { return end_ - pos_; }
    void consume(qsizetype n) { pos_ += n; }

    // Reads more bytes after those not consumed. False at the end of the
    // input, on a read error, on cancel, or when the unconsumed bytes
    // already reach the piece limit; the flags below say which.
    bool more();
    // Gives up to max bytes into dest: the unconsumed ones first, else one
    // read of the device straight into dest, so that a reader filling
    // blocks of its own copies nothing twice. 0 at the end of the input,
    // on a read error or cancel (the flags below say which).
    qsizetype readInto(char* dest, qsizetype max);
    // The bytes not consumed and those the device still holds, when it
    // knows its size; -1 for a sequential device.
    qint64 remaining() const;
    // A reader of its own found a piece longer than the limit.
    void refuseTooLong() { tooLong_ = true; }
    qsizetype maxPiece() const { return maxPiece_; }

    bool atEnd() const { return atEnd_; }
    bool failed() const { return failed_; }
    bool tooLong() const { return tooLong_; }
    bool cancelled() const { return cancelled_; }

private:
    bool mayRead();
    qint64 readDevice(char* dest, qsizetype max);
    void viewBuffer()
    {
        base_ = buffer_.constData();
        end_ = buffer_.size();
    }

    QIODevice* device_; // none for given bytes
    FileProgress* progress_;
    qsizetype maxPiece_;
    QByteArray buffer_;
    const char* base_ = nullptr; // the bytes read: buffer_'s, or those given
    qsizetype end_ = 0;
    qsizetype pos_ = 0;
    qint64 read_ = 0;
    bool atEnd_ = false, failed_ = false, tooLong_ = false, cancelled_ = false;
};
