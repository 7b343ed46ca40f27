#pragma once

#include "recording/ReadingStore.h"

#include <QByteArrayView>

// Canonical time stamps read from 19 ASCII bytes (yyyy D mm D dd _ hh T mm
// T ss) as compact seconds. Rows of one day share the date part, so it is
// worked out once per day and only the time of day from the digits.
class StampReader {
public:
    // Sets the row's time to the stamp's seconds; false when the bytes are
    // not a canonical stamp (the row then keeps the stamp as text).
    bool read(QByteArrayView bytes, ReadingStore::RowCodes& c);

private:
    char date_[11] = {};
    char timeSeparator_ = 0;
    quint32 dayStart_ = 0;
    QChar dateSeparatorChar_, timeSeparatorChar_;
    bool valid_ = false;
};
