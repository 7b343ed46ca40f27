#pragma once

#include "files/OutputBatch.h"
#include "recording/ReadingStore.h"

#include <QByteArray>

#include <vector>

// The bytes a writer gives each text of a store's pool, worked out once per
// text instead of once per row: channel, unit and judgement take a handful
// of texts and values repeat. The cache stops growing at a limit, after
// which texts are encoded each time.
class EncodedTexts {
public:
    using Encoder = void (*)(QByteArray& out, QStringView text);
    explicit EncodedTexts(Encoder encoder) : encoder_(encoder) {}

    // Appends the bytes of pool text `id` (read from the store under its lock).
    void append(ByteBuffer& out, const ReadingStore& store, quint32 id)
    {
        if (id < offsets_.size() && offsets_[id].size >= 0) {
            out.append(arena_.constData() + offsets_[id].at, offsets_[id].size);
            return;
        }
        encoded_.clear();
        encoder_(encoded_, store.pooledText(id));
        out.append(encoded_);
        if (id >= kMaxIds || arena_.size() > kMaxBytes)
            return;
        if (id >= offsets_.size())
            offsets_.resize(id + 1);
        offsets_[id] = {arena_.size(), encoded_.size()};
        arena_.append(encoded_);
    }

private:
    static constexpr quint32 kMaxIds = 1u << 22;
    static constexpr qsizetype kMaxBytes = 16 << 20;
    struct Slot {
        qsizetype at = 0;
        qsizetype size = -1;
    };
    Encoder encoder_;
    std::vector<Slot> offsets_;
    QByteArray arena_;
    QByteArray encoded_;
};

// Time stamps of compact rows as bytes: the date part worked out once per
// day, the time of day from digits, the whole appended in one copy.
class StampBytes {
public:
    explicit StampBytes(EncodedTexts::Encoder encoder) : encoder_(encoder) {}
    void append(ByteBuffer& out, const ReadingStore::RowCodes& c);

private:
    EncodedTexts::Encoder encoder_;
    qint64 day_ = -1;
    QChar dateSeparator_, timeSeparator_;
    // "yyyy/mm/dd_hh:mm:ss" as the writer encodes it, the digits of the
    // time of day written in place for each row.
    std::vector<char> text_;
    qsizetype digitsAt_[3] = {0, 0, 0};
};
