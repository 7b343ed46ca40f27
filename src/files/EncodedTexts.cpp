#include "files/EncodedTexts.h"

#include "recording/TimeStampFormat.h"

void StampBytes::append(ByteBuffer& out, const ReadingStore::RowCodes& c)
{
    const qint64 day = c.time / 86400;
    if (day != day_ || c.dateSeparator != dateSeparator_ || c.timeSeparator != timeSeparator_) {
        CompactTimeStamp stamp;
        stamp.seconds = c.time;
        stamp.dateSeparator = c.dateSeparator;
        stamp.timeSeparator = c.timeSeparator;
        date_.clear();
        const QString text = stamp.text();
        encoder_(date_, QStringView(text).first(11));
        timeSeparatorBytes_.clear();
        encoder_(timeSeparatorBytes_, QStringView(&c.timeSeparator, 1));
        day_ = day;
        dateSeparator_ = c.dateSeparator;
        timeSeparator_ = c.timeSeparator;
    }
    const int inDay = static_cast<int>(c.time % 86400);
    const int parts[3] = {inDay / 3600, inDay / 60 % 60, inDay % 60};
    out.append(date_);
    for (int i = 0; i < 3; ++i) {
        if (i > 0)
            out.append(timeSeparatorBytes_);
        const char digits[2] = {static_cast<char>('0' + parts[i] / 10),
                                static_cast<char>('0' + parts[i] % 10)};
        out.append(digits, 2);
    }
}
