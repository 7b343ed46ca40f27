#pragma once

#include "protocol/DecodedReading.h"

#include <QStringView>

#include <optional>

// Decodes a meter frame (one hex digit per meter byte, see ReadingDecoder.cpp
// for the layout). A frame is checked before anything is decoded, so a frame
// that cannot be read is dropped whole and never half-applied.
class ReadingDecoder {
public:
    // The cheap validity check: the flag, unit and type digits (and the
    // channel digit, unless the display shows four dashes) are decimal digits.
    static bool isDecodable(QStringView frame);

    // The decoded reading, or nothing for a frame that fails the check.
    // decimalSep goes into the value text when the frame sets the point and
    // is the separator the value is converted with.
    static std::optional<DecodedReading> decode(QStringView frame, QStringView decimalSep);
};
