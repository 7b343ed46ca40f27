// Cable input reports into meter frames, and what a complete frame leads to.
#include "protocol/FrameBuilder.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <string>
#include <vector>

namespace {

// The bytes the meter sends for one message: each frame digit as the ASCII
// character whose low four bits it is, then CR LF.
std::vector<quint8> messageBytes(const std::string& digits)
{
    std::vector<quint8> bytes;
    for (char c : digits)
        bytes.push_back(quint8(0x30 + (c <= '9' ? c - '0' : c - 'A' + 10)));
    bytes.push_back(0x0D);
    bytes.push_back(0x0A);
    return bytes;
}

class FrameBuilderTest : public ::testing::Test {
protected:
    // One report carrying count (in its low four bits) and the given bytes.
    void report(quint8 countByte, std::vector<quint8> bytes = {})
    {
        std::vector<quint8> payload{countByte};
        payload.insert(payload.end(), bytes.begin(), bytes.end());
        FrameBuilder(state).takeReport(payload.data(), quint16(payload.size()), download, actions);
    }
    void endReport() { report(0xF0, std::vector<quint8>(7, 0)); }
    // Sends a message in reports of at most seven meter bytes each.
    void sendMessage(const std::vector<quint8>& bytes)
    {
        for (std::size_t at = 0; at < bytes.size(); at += 7) {
            const std::size_t n = std::min<std::size_t>(7, bytes.size() - at);
            std::vector<quint8> part(bytes.begin() + long(at), bytes.begin() + long(at + n));
            part.resize(7, 0);
            report(quint8(0xF0 | n), part);
        }
    }

    FrameAssemblyState state;
    bool download = false;
    QStringList events; // "show <frame>" and "stop", in call order
    FrameBuilder::Actions actions{
        [this] { events << QStringLiteral("show ") + state.CurrentFrame; },
        [this] { events << QStringLiteral("stop"); }};
};

TEST_F(FrameBuilderTest, MessageInReportsOfSevenSevenFiveGivesOneFrameAfterTheEndReport)
{
    const auto bytes = messageBytes("20235100000000001");
    report(0xF7, {bytes.begin(), bytes.begin() + 7});
    report(0xF7, {bytes.begin() + 7, bytes.begin() + 14});
    report(0xF5, {bytes.begin() + 14, bytes.end()});
    EXPECT_TRUE(events.isEmpty());
    EXPECT_TRUE(state.FrameCollecting);

    endReport();
    EXPECT_EQ(events, QStringList{QStringLiteral("show 20235100000000001DA")});
    EXPECT_EQ(state.CurrentFrame.size(), 19);
    EXPECT_TRUE(state.ReportHex.isEmpty());
    EXPECT_FALSE(state.FrameCollecting);

    endReport(); // a second end report builds nothing more
    EXPECT_EQ(events.size(), 1);
}

TEST_F(FrameBuilderTest, CollectedTextKeepsWholeBytesAsUpperCaseHex)
{
    report(0x03, {0x3A, 0xBF, 0x0D});
    EXPECT_EQ(state.ReportHex, QStringLiteral("3ABF0D"));
    endReport();
    EXPECT_EQ(state.CurrentFrame, QStringLiteral("AFD"));
}

TEST_F(FrameBuilderTest, TwoMessagesWithoutEndReportGiveTheFirstTwentyBytes)
{
    sendMessage(messageBytes("20235100000000001"));
    sendMessage(messageBytes("30240100000000001"));
    endReport();
    EXPECT_EQ(state.CurrentFrame, QStringLiteral("20235100000000001DA3"));
    EXPECT_EQ(events, QStringList{QStringLiteral("show 20235100000000001DA3")});
}

TEST_F(FrameBuilderTest, CountsTenToFifteenAndZeroEndAMessage)
{
    for (quint8 count : {0x00, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x1F, 0xFA}) {
        events.clear();
        sendMessage(messageBytes("20235100000000001"));
        report(count, {0x31, 0x32, 0x33});
        EXPECT_EQ(events.size(), 1) << "count byte " << int(count);
        EXPECT_FALSE(state.FrameCollecting);
    }
}

TEST_F(FrameBuilderTest, CountBeyondThePayloadTakesTheBytesPresent)
{
    report(0xF9, {0x31, 0x32});
    EXPECT_EQ(state.ReportHex, QStringLiteral("3132"));
}

TEST_F(FrameBuilderTest, EmptyReportsCountUntilMeterBytesArrive)
{
    for (int i = 0; i < 3000; ++i)
        endReport();
    EXPECT_EQ(state.EmptyReportCount, 3000);
    EXPECT_TRUE(events.isEmpty());
    EXPECT_FALSE(state.FrameCollecting);
    EXPECT_TRUE(state.CurrentFrame.isEmpty());

    report(0xF1, {0x32});
    EXPECT_EQ(state.EmptyReportCount, 0);
    endReport();
    EXPECT_EQ(state.EmptyReportCount, 1);
}

TEST_F(FrameBuilderTest, EmptyPayloadEndsAMessageWithoutCounting)
{
    sendMessage(messageBytes("20235100000000001"));
    state.EmptyReportCount = 5;
    FrameBuilder(state).takeReport(nullptr, 0, download, actions);
    EXPECT_EQ(state.EmptyReportCount, 5);
    EXPECT_EQ(events.size(), 1);
    EXPECT_FALSE(state.FrameCollecting);
}

TEST_F(FrameBuilderTest, LiveModeShowsLiveFramesOnlyAndNeverStops)
{
    sendMessage(messageBytes("20235100000000007")); // stored reading
    endReport();
    sendMessage(messageBytes("20235199000000001")); // live, "99" at 7-8
    endReport();
    sendMessage(messageBytes("20235199000000007")); // stored and last
    endReport();
    EXPECT_EQ(events, QStringList{QStringLiteral("show 20235199000000001DA")});
}

TEST_F(FrameBuilderTest, DownloadShowsStoredFramesAndStopsAfterTheLastOne)
{
    download = true;
    sendMessage(messageBytes("20235100000000001")); // live: dropped
    endReport();
    sendMessage(messageBytes("20240100000000007"));
    endReport();
    sendMessage(messageBytes("20250199000000007")); // the last stored reading
    endReport();
    EXPECT_EQ(events,
              (QStringList{QStringLiteral("show 20240100000000007DA"),
                           QStringLiteral("show 20250199000000007DA"), QStringLiteral("stop")}));
}

TEST_F(FrameBuilderTest, ShortFrameWithTheLastMarkStillStopsADownload)
{
    download = true;
    report(0xF8, {0x32, 0x30, 0x32, 0x33, 0x35, 0x31, 0x39, 0x39});
    endReport();
    EXPECT_EQ(state.CurrentFrame, QStringLiteral("20235199"));
    EXPECT_EQ(events, QStringList{QStringLiteral("stop")});
}

TEST_F(FrameBuilderTest, EndlessMessageKeepsOnlyWhatAFrameCanHold)
{
    for (int i = 0; i < 1000; ++i)
        report(0xF7, std::vector<quint8>(7, 0x31));
    EXPECT_EQ(state.ReportHex.size(), 2 * FrameBuilder::kMaxFrameLength);
    endReport();
    EXPECT_EQ(state.CurrentFrame, QString(20, QLatin1Char('1')));
}

} // namespace
