#include "sim/SimCable.h"

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

SimCable::Report SimCable::takeReport(qint64 nowUs)
{
    Report report{};
    std::size_t count = meter_.takeArrived(nowUs, report.data() + 2, kReportLength - 2);
    if (baud_ != kMeterBaud)
        count = 0;
    report[1] = quint8(0xF0 | count);
    if (count == 0)
        std::fill(report.begin() + 2, report.end(), quint8(0));
    lastReportUs_ = nowUs;
    return report;
}
