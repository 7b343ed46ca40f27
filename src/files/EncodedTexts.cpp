#include "files/EncodedTexts.h"

#include "recording/TimeStampFormat.h"

#include <cstring>

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "a stamp's time bytes lie in its word lowest first");

void StampBytes::append(ByteBuffer& out, const ReadingStore::RowCodes& c)
{
    const qint64 day = c.time / 86400;
    if (day != day_ || c.dateSeparator != dateSeparator_ || c.timeSeparator != timeSeparator_) {
        CompactTimeStamp stamp;
        stamp.seconds = c.time;
        stamp.dateSeparator = c.dateSeparator;
        stamp.timeSeparator = c.timeSeparator;
        const QString text = stamp.text();
        QByteArray bytes;
        encoder_(bytes, QStringView(text).first(11));
        QByteArray separator;
        encoder_(separator, QStringView(&c.timeSeparator, 1));
        for (int i = 0; i < 3; ++i) {
            if (i > 0)
                bytes += separator;
            digitsAt_[i] = bytes.size();
            bytes += "00";
        }
        text_.assign(bytes.cbegin(), bytes.cend());
        day_ = day;
        dateSeparator_ = c.dateSeparator;
        timeSeparator_ = c.timeSeparator;
    }
    const int inDay = static_cast<int>(c.time % 86400);
    const int parts[3] = {inDay / 3600, inDay / 60 % 60, inDay % 60};
    if (static_cast<qsizetype>(text_.size()) == digitsAt_[0] + 8) {
        // "hh:mm:ss" with a one-byte separator: the eight bytes are put
        // together in a register, since bytes stored one by one and then
        // copied as a whole wait for each store to land.
        quint64 time;
        std::memcpy(&time, text_.data() + digitsAt_[0], 8);
        for (int i = 0; i < 3; ++i) {
            const int shift = 24 * i;
            time &= ~(quint64(0xffff) << shift);
            time |= quint64(quint8('0' + parts[i] / 10)) << shift;
            time |= quint64(quint8('0' + parts[i] % 10)) << (shift + 8);
        }
        out.append(text_.data(), digitsAt_[0]);
        out.append(reinterpret_cast<const char*>(&time), 8);
        return;
    }
    char* text = text_.data();
    for (int i = 0; i < 3; ++i) {
        text[digitsAt_[i]] = static_cast<char>('0' + parts[i] / 10);
        text[digitsAt_[i] + 1] = static_cast<char>('0' + parts[i] % 10);
    }
    out.append(text, static_cast<qsizetype>(text_.size()));
}
