#pragma once

#include "sim/MeterMessages.h"
#include "usb/platform/fake/FakeHidDevice.h"

#include <QStringList>

#include <algorithm>
#include <string>
#include <vector>

// The fake cable's side of a session's traffic, in its 9-byte reports.
namespace fake_cable {

// One meter message as the cable hands it over: up to seven meter bytes per
// report (ID, 0xF0 | count, bytes), then a report without any.
inline void send(hidfake::FakeHidDevice& cable, const std::string& digits)
{
    const std::vector<quint8> line = MeterMessages::lineBytes(digits);
    for (std::size_t at = 0; at < line.size(); at += 7) {
        const std::size_t count = std::min<std::size_t>(7, line.size() - at);
        std::vector<quint8> report(9, 0);
        report[1] = quint8(0xF0 | count);
        std::copy_n(line.begin() + long(at), count, report.begin() + 2);
        cable.pushReport(report);
    }
    cable.pushReport(std::vector<quint8>(9, 0));
}

// The output reports the cable received: "preamble" or the command code.
inline QStringList sent(const hidfake::FakeHidDevice& cable)
{
    QStringList codes;
    for (const std::vector<quint8>& report : cable.outputs())
        codes << (report[1] == 2 ? QStringLiteral("preamble") : QString::number(report[2]));
    return codes;
}

} // namespace fake_cable
