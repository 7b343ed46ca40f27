#include "sim/SimCable.h"

#include <algorithm>

void SimCable::ReportQueue::push(const Report& report)
{
    if (count_ == kCapacity) {
        ++dropped_;
        return;
    }
    ring_[(head_ + count_) % kCapacity] = report;
    ++count_;
}

bool SimCable::ReportQueue::pop(Report& out)
{
    if (count_ == 0)
        return false;
    out = ring_[head_];
    head_ = (head_ + 1) % kCapacity;
    --count_;
    return true;
}

SimCable::SimCable(std::unique_ptr<MeterMessages> messages) : meter_(std::move(messages)) {}

bool SimCable::setFeature(const quint8* data, std::size_t length)
{
    if (length != kFeatureLength || data[0] != 0)
        return false;
    baud_ =
        quint32(data[1]) | quint32(data[2]) << 8 | quint32(data[3]) << 16 | quint32(data[4]) << 24;
    return true;
}

bool SimCable::write(const quint8* data, std::size_t length, qint64 nowUs)
{
    if (length != kReportLength || data[0] != 0)
        return false;
    if (baud_ != kMeterBaud)
        return true; // sent, but garbled on the way
    const std::size_t count = std::min<std::size_t>(data[1] & 0x0F, length - 2);
    for (std::size_t i = 0; i < count; ++i)
        meter_.receive(data[2 + i], nowUs);
    return true;
}

void SimCable::runUntil(qint64 nowUs, const std::vector<ReportQueue*>& queues)
{
    if (queues.empty() && nextReportUs_ <= nowUs) {
        // Unseen polls: skip to the last one at once (hours of an idle
        // program would otherwise be made up poll by poll).
        const qint64 last = nowUs - (nowUs - nextReportUs_) % kPollUs;
        quint8 lost[64];
        while (meter_.takeArrived(last, lost, sizeof lost) > 0) {
        }
        nextReportUs_ = last + kPollUs;
        return;
    }
    for (; nextReportUs_ <= nowUs; nextReportUs_ += kPollUs) {
        const Report report = poll(nextReportUs_);
        for (ReportQueue* queue : queues)
            queue->push(report);
    }
}

SimCable::Report SimCable::poll(qint64 atUs)
{
    Report report{};
    std::size_t count = meter_.takeArrived(atUs, report.data() + 2, kReportLength - 2);
    if (baud_ != kMeterBaud)
        count = 0;
    report[1] = quint8(0xF0 | count);
    if (count == 0)
        std::fill(report.begin() + 2, report.end(), quint8(0));
    return report;
}
