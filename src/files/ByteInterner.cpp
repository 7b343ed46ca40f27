#include "files/ByteInterner.h"

#include <algorithm>
#include <type_traits>

template <typename S> S& ByteInterner::freeSlot(std::vector<S>& table, quint64 hash)
{
    const size_t mask = table.size() - 1;
    size_t i = hash & mask;
    while (table[i].id != kMissing)
        i = (i + 1) & mask;
    return table[i];
}

void ByteInterner::insert(const Key& key, quint32 id)
{
    if (!key.hashed)
        hash(key);
    const auto n = static_cast<size_t>(key.bytes.size());
    if (key.readout >= 0) {
        auto& page = readouts_[static_cast<size_t>(key.readout) >> kReadoutPageBits];
        if (!page) {
            page.reset(new quint32[1 << kReadoutPageBits]);
            std::fill_n(page.get(), 1 << kReadoutPageBits, kMissing);
        }
        *readoutSlot(key.readout) = id;
        return;
    }
    if (shortUsed_ + used_ >= (1u << 22))
        return; // at most 4 M keys (128 MB of table would be too much)
    if (n <= kShort) {
        if ((shortUsed_ + 1) * 2 > shortSlots_.size())
            grow(shortSlots_);
        ShortSlot& slot = freeSlot(shortSlots_, key.hash);
        slot.word = key.word[0];
        slot.id = id;
        slot.size = static_cast<quint32>(n);
        ++shortUsed_;
        return;
    }
    const bool inline_ = n <= kInline;
    if (!inline_ && keys_.size() + n > (32u << 20))
        return;
    if ((used_ + 1) * 2 > slots_.size())
        grow(slots_);
    Slot& slot = freeSlot(slots_, key.hash);
    slot.hash = key.hash;
    slot.id = id;
    slot.size = static_cast<quint32>(n);
    if (inline_) {
        slot.word[0] = key.word[0];
        slot.word[1] = key.word[1];
    } else {
        slot.word[0] = keys_.size();
        keys_.insert(keys_.end(), key.bytes.data(), key.bytes.data() + n);
    }
    ++used_;
}

// Short slots keep no hash: it is worked out again from the key's word.
template <typename S> void ByteInterner::grow(std::vector<S>& table)
{
    std::vector<S> old(table.size() * 2);
    old.swap(table);
    for (const S& s : old) {
        if (s.id == kMissing)
            continue;
        Key key;
        quint64 h;
        if constexpr (std::is_same_v<S, ShortSlot>) {
            key.word[0] = s.word;
            key.bytes = QByteArrayView(reinterpret_cast<const char*>(&s.word), s.size);
            hash(key);
            h = key.hash;
        } else {
            h = s.hash;
        }
        freeSlot(table, h) = s;
    }
}
