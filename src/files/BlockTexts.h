#pragma once

#include "files/ByteInterner.h"
#include "files/SharedPool.h"
#include "recording/ReadingStore.h"

#include <optional>
#include <vector>

// The texts one worker meets, by the bytes they were read from. A text
// this worker has not met before gets a provisional id; when its block is
// read, all such texts are interned in the shared pool under one lock, the
// block's rows get the pool ids instead, and the cache keeps them. The
// workers thus seldom wait for each other, even early in a file, where
// most values are new.
class BlockTexts {
public:
    static constexpr quint32 kProvisional = 0x80000000u;

    explicit BlockTexts(SharedPool& pool) : pool_(pool) {}

    // The id of the text of these bytes; decode() gives the text, or
    // nothing when the bytes have none (then this gives kMissing). Not an
    // optional: one built from a flag byte is read back whole before that
    // byte's store has landed, on every lookup.
    template <typename Decode> quint32 id(const ByteInterner::Key& key, const Decode& decode)
    {
        const quint32 found = cache_.find(key);
        if (found != ByteInterner::kMissing)
            return found;
        std::optional<QString> text = decode();
        if (!text)
            return ByteInterner::kMissing;
        const quint32 provisional = kProvisional | static_cast<quint32>(new_.size());
        new_.push_back({key, true, std::move(*text)});
        cache_.insert(key, provisional);
        return provisional;
    }
    // The id of a text that does not stand for its bytes.
    quint32 id(QString text)
    {
        new_.push_back({{}, false, std::move(text)});
        return kProvisional | static_cast<quint32>(new_.size() - 1);
    }
    void prefetch(const ByteInterner::Key& key) const { cache_.prefetch(key); }

    // Whether ids given since the last resolve may be provisional.
    bool anyNew() const { return !new_.empty(); }
    // Interns the new texts and gives the rows their pool ids; the keys'
    // bytes must still be readable.
    template <typename Rows> void resolve(Rows& rows)
    {
        if (new_.empty())
            return;
        pool_.intern(new_, ids_);
        for (size_t i = 0; i < new_.size(); ++i)
            if (new_[i].byBytes)
                cache_.update(new_[i].key, ids_[i]);
        const auto real = [this](quint32& id) {
            if (id & kProvisional)
                id = ids_[id & ~kProvisional];
        };
        for (ReadingStore::RowCodes& c : rows) {
            if (c.timeIsText)
                real(c.time);
            real(c.channel);
            real(c.value);
            real(c.unit);
            real(c.judge);
        }
        new_.clear();
    }

private:
    SharedPool& pool_;
    ByteInterner cache_;
    std::vector<SharedPool::NewText> new_;
    std::vector<quint32> ids_;
};
