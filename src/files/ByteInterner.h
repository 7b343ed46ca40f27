#pragma once

#include <QByteArrayView>
#include <QtGlobal>

#include <vector>

// Pool ids of texts a reader has met before, keyed by their raw bytes in
// the file, so a repeated value costs one hash lookup instead of a decoded
// text. Holds at most 32 MB of keys; past that, lookups of new bytes miss.
class ByteInterner {
public:
    static constexpr quint32 kMissing = 0xFFFFFFFF;

    quint32 find(QByteArrayView bytes, quint64 hash) const;
    void insert(QByteArrayView bytes, quint64 hash, quint32 id);
    static quint64 hashOf(QByteArrayView bytes);

private:
    struct Slot {
        quint64 hash = 0;
        quint32 at = 0, size = 0;
        quint32 id = kMissing;
    };
    void grow();

    std::vector<Slot> slots_ = std::vector<Slot>(1024);
    std::vector<char> keys_;
    size_t used_ = 0;
};
