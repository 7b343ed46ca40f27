#pragma once

#include <QtGlobal>

#include <cstddef>
#include <vector>

// The output reports that tell the meter what to send. They are laid out
// like the cable's input reports: after the report ID the number of meter
// bytes, then the meter bytes, which the cable passes to the meter.
//
//   byte    command report   preamble report
//   0       report ID 0      report ID 0
//   1       0x01             0x02
//   2       command code     0x5A
//   3..     0x00             0x00  (byte 3 is the preamble's second byte)
//
// A report is exactly as long as the cable's output report (its length
// includes the report-ID byte), zero-filled; with fewer than three bytes
// only what fits is built.
namespace MeterCommands {

enum Code : quint8 {
    StartLive = 1,  // the meter sends live readings ("1DA" frames)
    Stop = 2,       // the meter stops sending
    SendStored = 7, // the meter sends its stored readings ("7DA" frames)
};

std::vector<quint8> commandReport(quint8 code, std::size_t reportLength);
std::vector<quint8> preambleReport(std::size_t reportLength);

} // namespace MeterCommands
