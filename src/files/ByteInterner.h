#pragma once

#include <QByteArrayView>
#include <QtGlobal>

#include <cstring>
#include <memory>
#include <vector>

// Pool ids of texts a reader has met before, keyed by their raw bytes in
// the file, so a repeated value costs one hash lookup instead of a decoded
// text. Holds at most 4 M keys and 32 MB of long keys; past that, new bytes
// are not remembered.
class ByteInterner {
public:
    static constexpr quint32 kMissing = 0xFFFFFFFF;

    // Keys up to 16 bytes (values, channels, units) as two zero-padded
    // words: hashed with two multiplies and compared without memcmp. The
    // hash is worked out by the first find, as a caller may need only the
    // words.
    struct Key {
        quint64 word[2] = {0, 0};
        QByteArrayView bytes;
        mutable quint64 hash = 0; // none for a readout value
        mutable int readout = -1; // see readoutIndex, set with the hash
        mutable bool hashed = false;
    };
    // The key of bytes of which 16 from their start may be read (an
    // InputBuffer's): the words are loaded whole and masked.
    static Key keyOfPadded(QByteArrayView bytes);

    quint32 find(const Key& key) const;
    // Starts loading the slot where a find of the key begins, so that the
    // find, issued after other work, does not wait for memory.
    void prefetch(const Key& key) const;
    void insert(const Key& key, quint32 id);
    // Gives a key already inserted another id (nothing when it is not in).
    void update(const Key& key, quint32 id);

    // Where a readout's value ("ddd.d", "dddd.d", "-ddd.d" or "-dddd.d",
    // as bytes of up to 8 in a zero-padded word) has its place in a table
    // indexed by the value itself; -1 for other bytes. Readings hold mostly
    // such values, and those of one recording lie close together, so the
    // table's few pages in use stay in the core's cache without hashing.
    static int readoutIndex(quint64 word, size_t size);

private:
    const quint32* idOf(const Key& key) const;
    static constexpr quint32 kInline = 16;
    static constexpr quint32 kShort = 8;
    static void hash(const Key& key);
    // The readout table in pages of 1024 ids, each allocated when a value
    // in it is first inserted: one recording's values touch few of them.
    static constexpr int kReadoutPageBits = 10;
    static constexpr int kReadoutValues = 2 * (10000 + 100000);
    static constexpr int kReadoutPages = (kReadoutValues >> kReadoutPageBits) + 1;
    quint32* readoutSlot(int index) const
    {
        const auto& page = readouts_[static_cast<size_t>(index) >> kReadoutPageBits];
        return page ? &page[index & ((1 << kReadoutPageBits) - 1)] : nullptr;
    }
    // Keys up to 8 bytes (most values and every channel, unit and
    // judgement) in 16-byte slots: tens of thousands of distinct values
    // stay within the core's own cache, where a lookup costs least.
    struct ShortSlot {
        quint64 word = 0;
        quint32 id = kMissing;
        quint32 size = 0;
    };
    // Longer keys: one cache line holds two slots with their keys.
    struct Slot {
        quint64 hash = 0;
        quint32 id = kMissing;
        quint32 size = 0;
        quint64 word[2] = {0, 0}; // the key, or its offset in keys_ in word[0]
    };
    template <typename S> static void grow(std::vector<S>& table);
    template <typename S> static S& freeSlot(std::vector<S>& table, quint64 hash);

    std::vector<std::unique_ptr<quint32[]>> readouts_ =
        std::vector<std::unique_ptr<quint32[]>>(kReadoutPages);
    std::vector<ShortSlot> shortSlots_ = std::vector<ShortSlot>(1024);
    std::vector<Slot> slots_ = std::vector<Slot>(1024);
    std::vector<char> keys_;
    size_t shortUsed_ = 0;
    size_t used_ = 0;
};

inline ByteInterner::Key ByteInterner::keyOfPadded(QByteArrayView bytes)
{
    Key key;
    key.bytes = bytes;
    const auto n = static_cast<size_t>(bytes.size());
    if (n <= kInline) {
        std::memcpy(key.word, bytes.data(), kInline);
        const auto bits = [](size_t k) {
            return k >= 8 ? ~quint64(0) : (quint64(1) << (8 * k)) - 1;
        };
        key.word[0] &= bits(n);
        key.word[1] &= n > 8 ? bits(n - 8) : 0;
    }
    return key;
}

// | bytes    | index                   |
// |----------|-------------------------|
// | ddd.d    | 0 + dddd                |
// | -ddd.d   | 10000 + dddd            |
// | dddd.d   | 20000 + ddddd           |
// | -dddd.d  | 120000 + ddddd          |
inline int ByteInterner::readoutIndex(quint64 word, size_t size)
{
    if (size - 5 > 2)
        return -1;
    const unsigned minus = (word & 0xFF) == '-';
    const auto n = static_cast<unsigned>(size);
    const unsigned whole = n - 2 - minus; // digits before the point
    const unsigned point = n - 2;
    if (whole - 3 > 1 || ((word >> (8 * point)) & 0xFF) != '.')
        return -1;
    // Digits become bytes 0-9; a byte is no digit when its top bit comes
    // out set (every byte at once, without a carry from byte to byte).
    const quint64 t = word ^ 0x3030303030303030ull;
    const quint64 notDigit =
        (((t & 0x7F7F7F7F7F7F7F7Full) + 0x7676767676767676ull) | t) & 0x8080808080808080ull;
    const quint64 digitBytes = ((quint64(1) << (8 * n)) - 1) & ~((quint64(1) << (8 * minus)) - 1) &
                               ~(quint64(0xFF) << (8 * point));
    if (notDigit & digitBytes)
        return -1;
    // The whole digits as four (a leading 0 for three), first digit in the
    // lowest byte: pairs of digits, then the pairs, by multiplying.
    quint64 x = ((t >> (8 * minus)) & ((quint64(1) << (8 * whole)) - 1)) << (8 * (4 - whole));
    x = (x * 10 + (x >> 8)) & 0x00FF00FFull;
    x = (x * 100 + (x >> 16)) & 0xFFFFull;
    const auto tenths = static_cast<int>((t >> (8 * (n - 1))) & 0xFF);
    static constexpr int kFormStart[2][2] = {{0, 20000}, {10000, 120000}};
    return kFormStart[minus][whole - 3] + static_cast<int>(x) * 10 + tenths;
}

inline void ByteInterner::hash(const Key& key)
{
    const auto n = static_cast<size_t>(key.bytes.size());
    key.hashed = true;
    if (n <= kShort) {
        key.readout = readoutIndex(key.word[0], n);
        if (key.readout >= 0)
            return; // found by its place, no hash needed
    }
    quint64 h;
    if (n <= kInline) {
        h = (key.word[0] ^ n) * 0x9E3779B97F4A7C15ull + key.word[1] * 0xC2B2AE3D27D4EB4Full;
    } else {
        h = 1469598103934665603ull; // FNV-1a
        for (const char c : key.bytes)
            h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    // The low bits pick the slot: fold the well-mixed high bits down.
    h ^= h >> 29;
    h *= 0xff51afd7ed558ccdull;
    key.hash = h ^ (h >> 32);
}

inline void ByteInterner::prefetch(const Key& key) const
{
    if (!key.hashed)
        hash(key);
    if (key.readout >= 0) {
        if (const quint32* slot = readoutSlot(key.readout))
            __builtin_prefetch(slot);
    } else if (key.bytes.size() <= kShort)
        __builtin_prefetch(&shortSlots_[key.hash & (shortSlots_.size() - 1)]);
    else
        __builtin_prefetch(&slots_[key.hash & (slots_.size() - 1)]);
}

inline quint32 ByteInterner::find(const Key& key) const
{
    const quint32* id = idOf(key);
    return id ? *id : kMissing;
}

inline const quint32* ByteInterner::idOf(const Key& key) const
{
    if (!key.hashed)
        hash(key);
    const auto n = static_cast<quint32>(key.bytes.size());
    if (key.readout >= 0) {
        const quint32* slot = readoutSlot(key.readout);
        return slot && *slot != kMissing ? slot : nullptr;
    }
    if (n <= kShort) {
        const size_t mask = shortSlots_.size() - 1;
        for (size_t i = key.hash & mask;; i = (i + 1) & mask) {
            const ShortSlot& s = shortSlots_[i];
            if (s.id == kMissing)
                return nullptr;
            if (s.word == key.word[0] && s.size == n)
                return &s.id;
        }
    }
    const size_t mask = slots_.size() - 1;
    for (size_t i = key.hash & mask;; i = (i + 1) & mask) {
        const Slot& s = slots_[i];
        if (s.id == kMissing)
            return nullptr;
        if (s.hash != key.hash || s.size != n)
            continue;
        if (n <= kInline ? s.word[0] == key.word[0] && s.word[1] == key.word[1]
                         : std::memcmp(keys_.data() + s.word[0], key.bytes.data(), n) == 0)
            return &s.id;
    }
}

inline void ByteInterner::update(const Key& key, quint32 id)
{
    if (const quint32* slot = idOf(key))
        *const_cast<quint32*>(slot) = id;
}
