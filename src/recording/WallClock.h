#pragma once

#include <QDateTime>

// The local date and time for time stamps, read cheaply: asking the system
// for local time looks up the time-zone file on every call, which would
// cost more than the rest of recording a reading. The offset from UTC is
// asked again at each new UTC minute, as zone changes fall on whole minutes.
class WallClock {
public:
    // The local wall-clock fields (date(), time()) of this moment; the
    // value carries no zone of its own.
    QDateTime now();

private:
    qint64 minute_ = -1;
    qint64 offsetMs_ = 0;
};
