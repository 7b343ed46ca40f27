#include "files/ByteInterner.h"

#include <cstring>

quint64 ByteInterner::hashOf(QByteArrayView bytes)
{
    quint64 h = 1469598103934665603ull; // FNV-1a
    for (const char c : bytes)
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    // FNV leaves the low bits, which pick the slot, poorly mixed for short
    // keys that differ in a digit or two: finish with a full avalanche.
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ull;
    return h ^ (h >> 33);
}

quint32 ByteInterner::find(QByteArrayView bytes, quint64 hash) const
{
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& s = slots_[i];
        if (s.id == kMissing)
            return kMissing;
        if (s.hash == hash && s.size == bytes.size()) {
            const char* key = s.size <= kInline ? s.key.bytes : keys_.data() + s.key.at;
            if (std::memcmp(key, bytes.data(), s.size) == 0)
                return s.id;
        }
    }
}

void ByteInterner::insert(QByteArrayView bytes, quint64 hash, quint32 id)
{
    const bool inline_ = bytes.size() <= qsizetype(kInline);
    if (!inline_ && keys_.size() + static_cast<size_t>(bytes.size()) > (32u << 20))
        return;
    if (used_ >= (1u << 22))
        return; // at most 4 M keys (128 MB of slots would be too much)
    if ((used_ + 1) * 2 > slots_.size())
        grow();
    const size_t mask = slots_.size() - 1;
    size_t i = hash & mask;
    while (slots_[i].id != kMissing)
        i = (i + 1) & mask;
    Slot& slot = slots_[i];
    slot.hash = hash;
    slot.id = id;
    slot.size = static_cast<quint32>(bytes.size());
    if (inline_) {
        std::memcpy(slot.key.bytes, bytes.data(), static_cast<size_t>(bytes.size()));
    } else {
        slot.key.at = keys_.size();
        keys_.insert(keys_.end(), bytes.data(), bytes.data() + bytes.size());
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
