#include "files/ByteInterner.h"

void ByteInterner::insert(const Key& key, quint32 id)
{
    if (!key.hashed)
        hash(key);
    const auto n = static_cast<size_t>(key.bytes.size());
    const bool inline_ = n <= kInline;
    if (!inline_ && keys_.size() + n > (32u << 20))
        return;
    if (used_ >= (1u << 22))
        return; // at most 4 M keys (128 MB of slots would be too much)
    if ((used_ + 1) * 2 > slots_.size())
        grow();
    const size_t mask = slots_.size() - 1;
    size_t i = key.hash & mask;
    while (slots_[i].id != kMissing)
        i = (i + 1) & mask;
    Slot& slot = slots_[i];
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

void ByteInterner::grow()
{
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    const size_t mask = slots_.size() - 1;
    for (const Slot& s : old) {
        if (s.id == kMissing)
            continue;
        size_t i = s.hash & mask;
        while (slots_[i].id != kMissing)
            i = (i + 1) & mask;
        slots_[i] = s;
    }
}
