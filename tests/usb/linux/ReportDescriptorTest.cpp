#include "usb/platform/linux/ReportDescriptor.h"

#include <gtest/gtest.h>

#include <vector>

using hid::hidraw::ReportDescriptor;

namespace {

struct DescriptorCase {
    const char* name;
    std::vector<quint8> bytes;
    quint16 input;
    quint16 output;
    quint16 feature;
    bool numbered;
};

void PrintTo(const DescriptorCase& c, std::ostream* os)
{
    *os << c.name;
}

// A vendor-defined USB-serial bridge: 8-byte input and output reports and a
// 9-byte feature report, no report IDs.
const std::vector<quint8> kSerialBridge = {
    0x06, 0x00, 0xFF, // Usage Page (vendor 0xFF00)
    0x09, 0x01,       // Usage 1
    0xA1, 0x01,       // Collection (Application)
    0x15, 0x00,       //   Logical Minimum 0
    0x26, 0xFF, 0x00, //   Logical Maximum 255
    0x75, 0x08,       //   Report Size 8
    0x95, 0x08,       //   Report Count 8
    0x09, 0x01,       //   Usage 1
    0x81, 0x02,       //   Input (Data, Var, Abs)
    0x09, 0x01,       //   Usage 1
    0x91, 0x02,       //   Output (Data, Var, Abs)
    0x95, 0x09,       //   Report Count 9
    0x09, 0x01,       //   Usage 1
    0xB1, 0x02,       //   Feature (Data, Var, Abs)
    0xC0,             // End Collection
};

// The boot keyboard: modifiers, reserved byte, six key codes in; five LED
// bits and three padding bits out.
const std::vector<quint8> kKeyboard = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, // Generic Desktop, Keyboard, Collection
    0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, // Key codes E0..E7
    0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02,             // 8 modifier bits
    0x95, 0x01, 0x75, 0x08, 0x81, 0x01,                                     // reserved byte
    0x95, 0x05, 0x75, 0x01, 0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02, // 5 LEDs
    0x95, 0x01, 0x75, 0x03, 0x91, 0x01,                                     // LED padding
    0x95, 0x06, 0x75, 0x08, 0x15, 0x00, 0x25, 0x65, 0x05, 0x07, 0x19, 0x00,
    0x29, 0x65, 0x81, 0x00, // six key codes
    0xC0,
};

// Three report IDs with different lengths per kind: the longest of each
// kind counts, plus the ID byte.
const std::vector<quint8> kSeveralIds = {
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x01, 0x75,
    0x08, 0x95, 0x03, 0x09, 0x01, 0x81, 0x02,                   // ID 1: 3 bytes in
    0x85, 0x02, 0x95, 0x07, 0x09, 0x01, 0x81, 0x02,             // ID 2: 7 bytes in
    0x95, 0x02, 0x09, 0x01, 0xB1, 0x02,                         // ID 2: 2 bytes feature
    0x85, 0x03, 0x75, 0x01, 0x95, 0x04, 0x09, 0x01, 0x91, 0x02, // ID 3: 4 bits out
    0xC0,
};

// Push saves size, count and report ID; pop brings them back, so the last
// Input adds 4 x 8 bits to report 1, not 1 x 16 bits to report 2.
const std::vector<quint8> kPushPop = {
    0x85, 0x01, 0x75, 0x08, 0x95, 0x04, // ID 1, 4 x 8 bits
    0xA4,                               // Push
    0x85, 0x02, 0x75, 0x10, 0x95, 0x01, // ID 2, 1 x 16 bits
    0x81, 0x02,                         // Input: report 2 = 16 bits
    0xB4,                               // Pop
    0x81, 0x02,                         // Input: report 1 = 32 bits
    0x81, 0x02,                         // Input: report 1 = 64 bits
};

// A long item (prefix 0xFE) is skipped whole, its data included; a 4-byte
// Report Count is read little-endian; 12 one-bit fields round up to 2 bytes.
const std::vector<quint8> kLongItemAndRounding = {
    0xFE, 0x03, 0x10, 0x81, 0x02, 0x81, // long item whose data looks like items
    0x75, 0x01,                         // Report Size 1
    0x97, 0x0C, 0x00, 0x00, 0x00,       // Report Count 12 (4 data bytes)
    0x81, 0x02,
};

class ReportLengthsFromDescriptor : public ::testing::TestWithParam<DescriptorCase> {};

TEST_P(ReportLengthsFromDescriptor, CountsLongestReportOfEachKindPlusIdByte)
{
    const DescriptorCase& c = GetParam();
    ReportDescriptor d;
    ASSERT_TRUE(ReportDescriptor::parse(c.bytes.data(), c.bytes.size(), d));
    EXPECT_EQ(d.lengths.input, c.input);
    EXPECT_EQ(d.lengths.output, c.output);
    EXPECT_EQ(d.lengths.feature, c.feature);
    EXPECT_EQ(d.numbered, c.numbered);
}

INSTANTIATE_TEST_SUITE_P(
    RecordedDevices, ReportLengthsFromDescriptor,
    ::testing::Values(DescriptorCase{"serial_bridge", kSerialBridge, 9, 9, 10, false},
                      DescriptorCase{"keyboard", kKeyboard, 9, 2, 0, false},
                      DescriptorCase{"several_ids", kSeveralIds, 8, 2, 3, true},
                      DescriptorCase{"push_pop", kPushPop, 9, 0, 0, true},
                      DescriptorCase{"long_item_rounding", kLongItemAndRounding, 3, 0, 0, false},
                      DescriptorCase{"empty", {}, 0, 0, 0, false}),
    [](const ::testing::TestParamInfo<DescriptorCase>& info) { return info.param.name; });

TEST(MalformedReportDescriptor, IsRejectedRatherThanHalfCounted)
{
    const std::vector<std::vector<quint8>> broken = {
        {0x75, 0x08, 0x96, 0x08},             // Report Count announces 2 bytes, has 1
        {0x75, 0x08, 0xFE, 0x05, 0x00, 0x01}, // long item runs past the end
        {0x75, 0x08, 0xB4, 0x81, 0x02},       // Pop without Push
        {0x85, 0x00, 0x81, 0x02},             // report ID 0 is reserved
        {0x77, 0xFF, 0xFF, 0x00, 0x00, 0x97, 0xFF, 0xFF, 0x00, 0x00, 0x81, 0x02}, // > 64 KiB
    };
    for (std::size_t i = 0; i < broken.size(); ++i) {
        ReportDescriptor d;
        EXPECT_FALSE(ReportDescriptor::parse(broken[i].data(), broken[i].size(), d))
            << "broken descriptor #" << i;
    }
}

TEST(MalformedReportDescriptor, DeepPushNestingIsBounded)
{
    std::vector<quint8> bytes(1000, 0xA4); // Push, Push, ...
    ReportDescriptor d;
    EXPECT_FALSE(ReportDescriptor::parse(bytes.data(), bytes.size(), d));
}

} // namespace
