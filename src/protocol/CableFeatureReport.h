#pragma once

#include <QtGlobal>

#include <array>

// The 10-byte feature report that sets the cable's serial speed:
//
//   byte   value
//   0      report ID (0: the cable declares none)
//   1-4    baud rate, 32-bit little-endian: 60 09 00 00 for 2400,
//          C0 12 00 00 for 4800, 80 25 00 00 for 9600, all 0 with no rate
//   5      3
//   6-9    0
//
// The speed boxes are looked at in the order 9600, 4800, 2400 and the last
// checked one wins, so 2400 takes precedence over the others.
namespace CableFeatureReport {

struct SpeedBoxes {
    bool b2400 = false;
    bool b4800 = false;
    bool b9600 = false;
};

std::array<quint8, 10> build(const SpeedBoxes& boxes);

} // namespace CableFeatureReport
