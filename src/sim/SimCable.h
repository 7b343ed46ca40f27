#pragma once

#include "sim/SimMeter.h"

#include <QtGlobal>

#include <array>
#include <memory>
#include <vector>

// The USB interface cable between the program and the simulated meter. It
// polls the serial line every 10 ms and delivers what arrived as one input
// report, an empty one while the meter is silent. Times are given by the
// caller, on the simulator's clock.
//
// Input report (9 bytes):   0: report ID 0, 1: 0xF0 | k (k = 0..7 meter
//                           bytes), 2..1+k: the meter bytes, rest 0
// Output report (9 bytes):  0: report ID 0, 1: k (low four bits),
//                           2..1+k: bytes for the meter
// Feature report (10 bytes): 0: report ID 0, 1-4: baud rate, 32-bit
//                           little-endian, 5..9: line settings (ignored)
//
// The meter talks at 2400 baud: at any other speed (or before the speed is
// set) nothing passes between the two.
class SimCable {
public:
    static constexpr std::size_t kReportLength = 9;
    static constexpr std::size_t kFeatureLength = 10;
    static constexpr qint64 kPollUs = 10 * 1000;
    static constexpr quint32 kMeterBaud = 2400;

    using Report = std::array<quint8, kReportLength>;

    explicit SimCable(std::unique_ptr<MeterMessages> messages);

    bool setFeature(const quint8* data, std::size_t length);
    bool write(const quint8* data, std::size_t length, qint64 nowUs);

    qint64 nextReportUs() const { return lastReportUs_ + kPollUs; }
    // The input report of the poll at nowUs (not before nextReportUs()).
    Report takeReport(qint64 nowUs);

    quint32 baudRate() const { return baud_; }
    const SimMeter& meter() const { return meter_; }

private:
    SimMeter meter_;
    quint32 baud_ = 0;
    qint64 lastReportUs_ = 0;
};
