#include "files/StampReader.h"

#include "recording/TimeStampFormat.h"

#include <cstring>

namespace {

int twoDigits(const char* p)
{
    if (p[0] < '0' || p[0] > '9' || p[1] < '0' || p[1] > '9')
        return -1;
    return (p[0] - '0') * 10 + (p[1] - '0');
}

} // namespace

bool StampReader::read(QByteArrayView bytes, ReadingStore::RowCodes& c)
{
    constexpr qsizetype kLength = 19;
    if (bytes.size() != kLength)
        return false;
    const char* p = bytes.data();
    if (valid_ && std::memcmp(p, date_, 11) == 0 && p[13] == timeSeparator_ &&
        p[16] == timeSeparator_) {
        const int h = twoDigits(p + 11), m = twoDigits(p + 14), s = twoDigits(p + 17);
        if (h >= 0 && h < 24 && m >= 0 && m < 60 && s >= 0 && s < 60) {
            c.timeIsText = false;
            c.time = dayStart_ + static_cast<quint32>(h * 3600 + m * 60 + s);
            c.dateSeparator = dateSeparatorChar_;
            c.timeSeparator = timeSeparatorChar_;
            return true;
        }
    }
    char16_t units[kLength];
    for (qsizetype i = 0; i < kLength; ++i) {
        const auto b = static_cast<unsigned char>(p[i]);
        if (b >= 0x80)
            return false; // not ASCII: the code page or UTF-8 decides, keep as text
        units[i] = b;
    }
    const auto stamp = CompactTimeStamp::fromText(QStringView(units, kLength));
    if (!stamp)
        return false;
    c.timeIsText = false;
    c.time = stamp->seconds;
    c.dateSeparator = stamp->dateSeparator;
    c.timeSeparator = stamp->timeSeparator;
    std::memcpy(date_, p, 11);
    timeSeparator_ = p[13];
    dayStart_ = stamp->seconds - stamp->seconds % 86400;
    dateSeparatorChar_ = stamp->dateSeparator;
    timeSeparatorChar_ = stamp->timeSeparator;
    valid_ = true;
    return true;
}
