// The output and feature reports written to the cable.
#include "protocol/MeterCommands.h"
#include "protocol/CableFeatureReport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

namespace {

using Bytes = std::vector<quint8>;

TEST(MeterCommandsTest, ReportsForANineByteCable)
{
    EXPECT_EQ(MeterCommands::commandReport(MeterCommands::StartLive, 9),
              (Bytes{0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(MeterCommands::commandReport(MeterCommands::SendStored, 9),
              (Bytes{0x00, 0x01, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(MeterCommands::commandReport(MeterCommands::Stop, 9),
              (Bytes{0x00, 0x01, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(MeterCommands::preambleReport(9),
              (Bytes{0x00, 0x02, 0x5A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
}

TEST(MeterCommandsTest, ReportTakesTheCablesOwnLengthBeyondSixtyFiveBytes)
{
    const Bytes report = MeterCommands::commandReport(MeterCommands::StartLive, 513);
    ASSERT_EQ(report.size(), 513u);
    EXPECT_EQ(report[2], 0x01);
    EXPECT_EQ(std::count(report.begin() + 3, report.end(), 0), 510);
}

TEST(MeterCommandsTest, ShortReportsHoldWhatFits)
{
    EXPECT_EQ(MeterCommands::commandReport(MeterCommands::Stop, 2), (Bytes{0x00, 0x01}));
    EXPECT_TRUE(MeterCommands::preambleReport(0).empty());
}

TEST(CableFeatureReportTest, TwoThousandFourHundredBaudAsTheWindowStarts)
{
    CableFeatureReport::SpeedBoxes boxes;
    boxes.b2400 = true;
    EXPECT_EQ(CableFeatureReport::build(boxes),
              (std::array<quint8, 10>{0x00, 0x60, 0x09, 0x00, 0x00, 0x03, 0, 0, 0, 0}));
}

TEST(CableFeatureReportTest, LastCheckedBoxInTheOrderNineteenFortyEightTwentyFourWins)
{
    struct Case {
        bool b2400, b4800, b9600;
        quint8 low, high;
    };
    for (const Case& c :
         {Case{false, false, false, 0x00, 0x00}, Case{false, false, true, 0x80, 0x25},
          Case{false, true, false, 0xC0, 0x12}, Case{false, true, true, 0xC0, 0x12},
          Case{true, true, true, 0x60, 0x09}, Case{true, false, true, 0x60, 0x09}}) {
        CableFeatureReport::SpeedBoxes boxes;
        boxes.b2400 = c.b2400;
        boxes.b4800 = c.b4800;
        boxes.b9600 = c.b9600;
        const auto report = CableFeatureReport::build(boxes);
        EXPECT_EQ(report[1], c.low);
        EXPECT_EQ(report[2], c.high);
        EXPECT_EQ(report[5], 3);
    }
}

} // namespace
