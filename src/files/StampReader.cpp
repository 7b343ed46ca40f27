#include "files/StampReader.h"

#include "recording/TimeStampFormat.h"

#include <cstring>

bool StampReader::readDay(const char* p, ReadingStore::RowCodes& c)
{
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
