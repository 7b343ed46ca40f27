#include "sim/SimMeter.h"

#include <algorithm>

SimMeter::SimMeter(std::unique_ptr<MeterMessages> messages) : messages_(std::move(messages)) {}

void SimMeter::receive(quint8 byte, qint64 nowUs)
{
    sendDue(nowUs);
    received_.push_back(byte);
    switch (byte) {
    case 0x01:
    case 0x07:
        messages_->start(byte, nowUs);
        sending_ = true;
        nextMessageUs_ = nowUs + std::max(messages_->intervalUs(), kFirstUs);
        break;
    case 0x02: sending_ = false; break;
    default: break;
    }
}

std::size_t SimMeter::takeArrived(qint64 nowUs, quint8* out, std::size_t max)
{
    sendDue(nowUs);
    std::size_t n = 0;
    while (n < max && !line_.empty() && line_.front().arrivesUs <= nowUs) {
        out[n++] = line_.front().value;
        line_.pop_front();
    }
    return n;
}

void SimMeter::sendDue(qint64 nowUs)
{
    while (sending_ && nextMessageUs_ <= nowUs) {
        const qint64 startUs = std::max(nextMessageUs_, line_.empty() ? 0 : line_.back().arrivesUs);
        const std::optional<std::string> message = messages_->next(startUs);
        if (!message) {
            sending_ = false;
            break;
        }
        qint64 at = startUs;
        for (quint8 byte : MeterMessages::lineBytes(*message)) {
            at += kByteUs;
            line_.push_back({at, byte});
        }
        nextMessageUs_ = std::max(startUs + messages_->intervalUs(), at + kGapUs);
    }
}
