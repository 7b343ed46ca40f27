#include "files/ByteInterner.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

quint64 wordOf(QByteArrayView bytes)
{
    quint64 word = 0;
    std::memcpy(&word, bytes.data(), size_t(bytes.size()));
    return word;
}

TEST(ByteInterner, ReadoutValuesHaveTheirPlaceAndOtherBytesNone)
{
    const struct {
        const char* bytes;
        int index;
    } cases[] = {
        {"023.4", 234},         {"999.9", 9999},         {"000.0", 0},
        {"-023.4", 10234},      {"-999.9", 19999},       {"0023.4", 20234},
        {"1372.0", 33720},      {"-1372.0", 133720},     {"-9999.9", 219999},
        {"23.4", -1},           {"12345.6", -1},         {"-12.3", -1},
        {"023,4", -1},          {"02a.4", -1},           {"+23.4", -1},
        {"--23.4", -1},         {"0/3.4", -1},           {"0:3.4", -1},
        {"023.4.", -1},         {"023..4", -1},          {"\xB0" "23.4", -1},
        {"023.\xB9", -1},       {"-023.-", -1},          {"T1-T2", -1},
    };
    for (const auto& c : cases) {
        const QByteArrayView bytes(c.bytes);
        EXPECT_EQ(ByteInterner::readoutIndex(wordOf(bytes), size_t(bytes.size())), c.index)
            << c.bytes;
    }
}

TEST(ByteInterner, EveryKeyIsFoundAgainByItsOwnBytesOnly)
{
    // Readout values, their near misses, short and long texts.
    std::vector<QByteArray> keys;
    for (int tenths = -20000; tenths <= 20000; tenths += 7) {
        const QByteArray v = QByteArray::number(tenths / 10.0, 'f', 1);
        keys.push_back(v);
        keys.push_back("0" + v);
    }
    for (int n = 0; n < 3000; ++n)
        keys.push_back(QByteArray(n % 40, char('a' + n % 26)) + QByteArray::number(n));
    // Each key's bytes with 16 more readable after them, as keyOfPadded wants.
    std::vector<QByteArray> padded;
    for (const QByteArray& k : keys)
        padded.push_back(k + QByteArray(16, 'x'));
    const auto key = [&](size_t i) {
        return ByteInterner::keyOfPadded(QByteArrayView(padded[i].constData(), keys[i].size()));
    };
    ByteInterner interner;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (interner.find(key(i)) == ByteInterner::kMissing)
            interner.insert(key(i), quint32(i));
    }
    for (size_t i = 0; i < keys.size(); ++i) {
        const quint32 id = interner.find(key(i));
        ASSERT_NE(id, ByteInterner::kMissing) << keys[i].toStdString();
        EXPECT_EQ(keys[id], keys[i]);
    }
    const QByteArray absent = QByteArray("555.5") + QByteArray(16, 'x');
    EXPECT_EQ(interner.find(ByteInterner::keyOfPadded(QByteArrayView(absent.constData(), 5))),
              ByteInterner::kMissing);
}

} // namespace
