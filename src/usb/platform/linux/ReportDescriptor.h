#pragma once

#include "usb/platform/HidPlatform.h"

#include <QtGlobal>

#include <cstddef>

namespace hid::hidraw {

// What the program needs to know from a HID report descriptor.
struct ReportDescriptor {
    // Longest report of each kind, counted like the Windows HID class driver
    // does: bytes of the largest report over all report IDs plus one byte for
    // the report ID, also when the device declares no IDs.
    ReportLengths lengths;
    // The device prefixes every report with its ID byte. hidraw passes that
    // byte through; unnumbered reports arrive without it.
    bool numbered = false;

    // False for a truncated or inconsistent descriptor (pop without push,
    // report ID 0, absurd sizes); lengths are then meaningless.
    static bool parse(const quint8* data, std::size_t size, ReportDescriptor& out);
};

} // namespace hid::hidraw
