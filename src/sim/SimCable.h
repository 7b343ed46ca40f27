#pragma once

#include "sim/SimMeter.h"

#include <QtGlobal>

#include <array>
#include <memory>
#include <vector>

// The USB interface cable between the program and the simulated meter. Every
// 10 ms on its own clock, whether or not anyone reads, it polls the serial
// line and sends what arrived as one input report, an empty one while the
// meter is silent; at 2400 baud a message therefore always ends with at
// least one empty report. The operating system queues the reports for each
// open read handle (ReportQueue). Times are given by the caller, on the
// simulator's clock.
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

    // The reports waiting for one reader, as Linux queues them for an open
    // hidraw device: 64 reports; a report arriving while all 64 wait is
    // dropped, so a reader that falls more than 0.64 s behind loses data.
    class ReportQueue {
    public:
        static constexpr std::size_t kCapacity = 64;
        void push(const Report& report);
        bool pop(Report& out);
        std::size_t size() const { return count_; }
        quint64 dropped() const { return dropped_; }

    private:
        std::array<Report, kCapacity> ring_{};
        std::size_t head_ = 0;
        std::size_t count_ = 0;
        quint64 dropped_ = 0;
    };

    explicit SimCable(std::unique_ptr<MeterMessages> messages);

    // Writes act at nowUs; the caller runs the cable up to nowUs first, so
    // that earlier polls see the line as it was.
    bool setFeature(const quint8* data, std::size_t length);
    bool write(const quint8* data, std::size_t length, qint64 nowUs);

    // Makes every poll due by nowUs, in order, and puts its report into each
    // queue. With no queue nobody reads: the meter's bytes are lost.
    void runUntil(qint64 nowUs, const std::vector<ReportQueue*>& queues);
    qint64 nextReportUs() const { return nextReportUs_; }

    quint32 baudRate() const { return baud_; }
    const SimMeter& meter() const { return meter_; }

private:
    Report poll(qint64 atUs);

    SimMeter meter_;
    quint32 baud_ = 0;
    qint64 nextReportUs_ = kPollUs;
};
