#include "protocol/CableFeatureReport.h"

std::array<quint8, 10> CableFeatureReport::build(const SpeedBoxes& boxes)
{
    std::array<quint8, 10> report{};
    const auto setRate = [&report](quint8 low, quint8 high) {
        report[1] = low;
        report[2] = high;
    };
    if (boxes.b9600)
        setRate(0x80, 0x25);
    if (boxes.b4800)
        setRate(0xC0, 0x12);
    if (boxes.b2400)
        setRate(0x60, 0x09);
    report[5] = 3;
    return report;
}
