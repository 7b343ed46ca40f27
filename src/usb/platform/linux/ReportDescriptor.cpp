#include "usb/platform/linux/ReportDescriptor.h"

#include <array>
#include <vector>

namespace hid::hidraw {

namespace {

// Item encoding of a report descriptor:
//
//   short item   byte 0   bits 7..4 tag, bits 3..2 type, bits 1..0 size code
//                bytes 1.. data, little-endian; size code 0,1,2,3 -> 0,1,2,4 bytes
//                type 0 main, 1 global, 2 local, 3 reserved
//   long item    byte 0   0xFE
//                byte 1   data size n
//                byte 2   long tag
//                bytes 3..3+n-1 data (no long items are defined; skipped)
//
// Only the items that decide report lengths matter here:
//
//   main    0x8 Input, 0x9 Output, 0xB Feature  -> append size * count bits
//   global  0x7 Report Size, 0x8 Report ID, 0x9 Report Count,
//           0xA Push (save all globals), 0xB Pop (restore them)

enum ItemType : quint8 { Main = 0, Global = 1, Local = 2 };

enum MainTag : quint8 { Input = 0x8, Output = 0x9, Feature = 0xB };

enum GlobalTag : quint8 {
    ReportSize = 0x7,
    ReportId = 0x8,
    ReportCount = 0x9,
    Push = 0xA,
    Pop = 0xB
};

constexpr quint8 kLongItemPrefix = 0xFE;
constexpr std::size_t kMaxPushDepth = 16;
// A report length must fit the 16-bit lengths, ID byte included.
constexpr quint64 kMaxReportBits = quint64(0xFFFF - 1) * 8;

struct Globals {
    quint32 reportSize = 0;
    quint32 reportCount = 0;
    quint32 reportId = 0;
};

enum Kind { KindInput, KindOutput, KindFeature, KindCount };

struct ReportBits {
    std::array<quint64, KindCount> bits{};
    std::array<bool, KindCount> declared{};
};

quint16 lengthOf(const std::vector<ReportBits>& reports, Kind kind)
{
    quint64 longest = 0;
    bool any = false;
    for (const ReportBits& report : reports) {
        if (!report.declared[kind])
            continue;
        any = true;
        longest = qMax(longest, (report.bits[kind] + 7) / 8);
    }
    return any ? quint16(longest + 1) : 0;
}

} // namespace

bool ReportDescriptor::parse(const quint8* data, std::size_t size, ReportDescriptor& out)
{
    out = ReportDescriptor{};
    std::vector<ReportBits> reports(256);
    std::vector<Globals> stack;
    Globals globals;

    std::size_t pos = 0;
    while (pos < size) {
        const quint8 prefix = data[pos];
        if (prefix == kLongItemPrefix) {
            if (pos + 3 > size)
                return false;
            pos += 3 + std::size_t(data[pos + 1]);
            if (pos > size)
                return false;
            continue;
        }
        static constexpr std::size_t dataSizes[] = {0, 1, 2, 4};
        const std::size_t length = dataSizes[prefix & 0x03];
        if (pos + 1 + length > size)
            return false;
        quint32 value = 0;
        for (std::size_t i = 0; i < length; ++i)
            value |= quint32(data[pos + 1 + i]) << (8 * i);
        pos += 1 + length;

        const quint8 type = (prefix >> 2) & 0x03;
        const quint8 tag = prefix >> 4;
        if (type == Global) {
            switch (tag) {
            case ReportSize: globals.reportSize = value; break;
            case ReportCount: globals.reportCount = value; break;
            case ReportId:
                if (value == 0 || value > 0xFF)
                    return false;
                globals.reportId = value;
                out.numbered = true;
                break;
            case Push:
                if (stack.size() == kMaxPushDepth)
                    return false;
                stack.push_back(globals);
                break;
            case Pop:
                if (stack.empty())
                    return false;
                globals = stack.back();
                stack.pop_back();
                break;
            default: break;
            }
        } else if (type == Main) {
            Kind kind = KindCount;
            switch (tag) {
            case Input: kind = KindInput; break;
            case Output: kind = KindOutput; break;
            case Feature: kind = KindFeature; break;
            default: break;
            }
            if (kind == KindCount)
                continue;
            ReportBits& report = reports[globals.reportId];
            report.declared[kind] = true;
            report.bits[kind] += quint64(globals.reportSize) * globals.reportCount;
            if (report.bits[kind] > kMaxReportBits)
                return false;
        }
    }

    out.lengths.input = lengthOf(reports, KindInput);
    out.lengths.output = lengthOf(reports, KindOutput);
    out.lengths.feature = lengthOf(reports, KindFeature);
    return true;
}

} // namespace hid::hidraw
