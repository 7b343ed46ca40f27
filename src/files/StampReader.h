#pragma once

#include "files/ByteMasks.h"
#include "recording/ReadingStore.h"

#include <QByteArrayView>

// Canonical time stamps read from 19 ASCII bytes (yyyy D mm D dd _ hh T mm
// T ss) as compact seconds. Rows of one day share the date part, so it is
// worked out once per day and only the time of day from the digits.
class StampReader {
public:
    // Sets the row's time to the stamp's seconds; false when the bytes are
    // not a canonical stamp (the row then keeps the stamp as text). 16
    // bytes from their start must be readable.
    bool read(QByteArrayView bytes, ReadingStore::RowCodes& c)
    {
        const char* p = bytes.data();
        if (bytes.size() != kLength)
            return false;
        if (valid_ && bytemask::samePrefix16(p, date_, 11) && p[13] == timeSeparator_ &&
            p[16] == timeSeparator_) {
            const int h = twoDigits(p + 11), m = twoDigits(p + 14), s = twoDigits(p + 17);
            if ((h | m | s) >= 0 && h < 24 && m < 60 && s < 60) {
                c.timeIsText = false;
                c.time = dayStart_ + static_cast<quint32>(h * 3600 + m * 60 + s);
                c.dateSeparator = dateSeparatorChar_;
                c.timeSeparator = timeSeparatorChar_;
                return true;
            }
        }
        return readDay(p, c);
    }

private:
    static constexpr qsizetype kLength = 19;
    static int twoDigits(const char* p)
    {
        const unsigned tens = unsigned(static_cast<unsigned char>(p[0])) - '0';
        const unsigned ones = unsigned(static_cast<unsigned char>(p[1])) - '0';
        return tens > 9 || ones > 9 ? -1 : int(tens * 10 + ones);
    }
    // A stamp of another day than the last (or of no day read yet).
    bool readDay(const char* p, ReadingStore::RowCodes& c);

    char date_[16] = {}; // the date and the '_' after it (11 bytes)
    char timeSeparator_ = 0;
    quint32 dayStart_ = 0;
    QChar dateSeparatorChar_, timeSeparatorChar_;
    bool valid_ = false;
};
