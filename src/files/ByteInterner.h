#pragma once

#include <QByteArrayView>
#include <QtGlobal>

#include <vector>

// Pool ids of texts a reader has met before, keyed by their raw bytes in
// the file, so a repeated value costs one hash lookup instead of a decoded
// text. Holds at most 4 M keys and 32 MB of long keys; past that, new bytes
// are not remembered.
class ByteInterner {
public:
    static constexpr quint32 kMissing = 0xFFFFFFFF;

    quint32 find(QByteArrayView bytes, quint64 hash) const;
    void insert(QByteArrayView bytes, quint64 hash, quint32 id);
    static quint64 hashOf(QByteArrayView bytes);

private:
    // One cache line holds a slot and, for keys up to 16 bytes (values,
    // channels, units), the key itself: a lookup then touches one line.
    static constexpr quint32 kInline = 16;
    struct Slot {
        quint64 hash = 0;
        quint32 id = kMissing;
        quint32 size = 0;
        union {
            char bytes[kInline];
            quint64 at;
        } key{};
    };
    void grow();

    std::vector<Slot> slots_ = std::vector<Slot>(1024);
    std::vector<char> keys_;
    size_t used_ = 0;
};
