#pragma once

#include "protocol/FrameAssemblyState.h"

#include <QString>
#include <QtGlobal>

#include <functional>

// Collects the meter bytes that the cable hands over in its input reports
// into one meter frame per message and decides what the frame leads to.
//
// Payload of one input report (the report without its ID byte):
//   byte 0      low four bits: k, the number of meter bytes that follow;
//               k = 1..9: meter bytes follow, k = 0 or 10..15: none (an end
//               report); the high four bits are ignored
//   bytes 1..k  meter bytes in order (those beyond the payload do not exist)
//   after k     ignored
//
// A message is complete at the first report without meter bytes after one
// with meter bytes. Its frame is one upper-case hex digit (the byte's low
// four bits) per meter byte, at most 20:
//   positions 7-8   "99" on the last stored reading of a download
//   positions 17-19 "1DA" live reading, "7DA" stored reading
class FrameBuilder {
public:
    // What a complete frame leads to, called in this order.
    struct Actions {
        std::function<void()> showFrame;    // decode and show state.CurrentFrame
        std::function<void()> stopDownload; // send the meter's stop command
    };

    explicit FrameBuilder(FrameAssemblyState& state) : state_(state) {}

    // One input report. download: the stored readings are being fetched
    // ("RecallData" checked), otherwise live readings are shown.
    void takeReport(const quint8* data, quint16 size, bool download, const Actions& actions);

    // The frame of the collected bytes, kept as two hex digits per byte.
    static QString meterFrame(const QString& reportHex);

    static constexpr int kMaxFrameLength = 20;

private:
    FrameAssemblyState& state_;
};
