#pragma once

#include "sim/MeterMessages.h"

#include <QtGlobal>

#include <deque>
#include <memory>
#include <vector>

// The meter's serial side at 2400 baud: it takes command bytes, and puts the
// bytes of its messages on the line one by one, each reaching the cable a
// byte time after the one before. All times are on the simulator's clock and
// given by the caller, so the meter is a plain function of its inputs.
//
// Bytes the meter understands: 0x01 start live readings, 0x07 send the
// stored readings, 0x02 stop (a message already on the line is finished).
// Everything else, such as the preamble 0x5A 0x00, gets no answer.
class SimMeter {
public:
    static constexpr qint64 kByteUs = 4167;       // 10 bits at 2400 baud
    static constexpr qint64 kGapUs = 30 * 1000;   // quiet line between messages
    static constexpr qint64 kFirstUs = 50 * 1000; // least delay after a start

    explicit SimMeter(std::unique_ptr<MeterMessages> messages);

    void receive(quint8 byte, qint64 nowUs);
    // Moves up to max bytes that have reached the cable by nowUs into out.
    std::size_t takeArrived(qint64 nowUs, quint8* out, std::size_t max);

    bool sending() const { return sending_; }
    // Every byte the meter was sent, in order.
    const std::vector<quint8>& received() const { return received_; }

private:
    struct LineByte {
        qint64 arrivesUs;
        quint8 value;
    };
    // Puts every message that begins by nowUs on the line.
    void sendDue(qint64 nowUs);

    std::unique_ptr<MeterMessages> messages_;
    bool sending_ = false;
    qint64 nextMessageUs_ = 0;
    std::deque<LineByte> line_;
    std::vector<quint8> received_;
};
