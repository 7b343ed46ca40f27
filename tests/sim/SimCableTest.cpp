// The simulated cable and meter on explicit times, read through the frame
// builder the way the program reads them.
#include "sim/SimCable.h"
#include "protocol/CableFeatureReport.h"
#include "protocol/FrameBuilder.h"
#include "protocol/MeterCommands.h"
#include "sim/ReplayScript.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

constexpr qint64 kMs = 1000;

class SimCableTest : public ::testing::Test {
protected:
    explicit SimCableTest(std::unique_ptr<MeterMessages> meter = MeterMessages::builtIn())
        : cable(std::move(meter))
    {
    }

    void setSpeed(bool b2400 = true)
    {
        CableFeatureReport::SpeedBoxes boxes;
        boxes.b2400 = b2400;
        const auto feature = CableFeatureReport::build(boxes);
        ASSERT_TRUE(cable.setFeature(feature.data(), feature.size()));
    }
    void send(quint8 code)
    {
        const auto report = MeterCommands::commandReport(code, SimCable::kReportLength);
        cable.runUntil(now, {&queue});
        ASSERT_TRUE(cable.write(report.data(), report.size(), now));
    }
    void connect(quint8 start)
    {
        setSpeed();
        const auto preamble = MeterCommands::preambleReport(SimCable::kReportLength);
        ASSERT_TRUE(cable.write(preamble.data(), preamble.size(), now));
        send(start);
    }
    // Reads the cable until `until` as the program's reader would, waking
    // every readEveryUs and taking every queued report, building frames; a
    // finished download is answered with the stop command.
    void runUntil(qint64 until, qint64 readEveryUs = SimCable::kPollUs)
    {
        FrameBuilder::Actions actions{[this] { frames << state.CurrentFrame; },
                                      [this] { send(MeterCommands::Stop); }};
        for (now += readEveryUs - now % readEveryUs; now <= until; now += readEveryUs) {
            cable.runUntil(now, {&queue});
            SimCable::Report report;
            while (queue.pop(report)) {
                ++reports;
                const int k = report[1] & 0x0F;
                EXPECT_EQ(report[1] & 0xF0, 0xF0);
                EXPECT_LE(k, 7);
                if (k == 0)
                    ++emptyReports;
                FrameBuilder(state).takeReport(report.data() + 1, quint16(report.size() - 1),
                                               download, actions);
            }
        }
        now = until;
    }

    SimCable cable;
    SimCable::ReportQueue queue;
    qint64 now = 0;
    bool download = false;
    FrameAssemblyState state;
    QStringList frames;
    int reports = 0;
    int emptyReports = 0;
};

TEST_F(SimCableTest, SilentUntilStartedWithAnEmptyReportEveryTenMilliseconds)
{
    setSpeed();
    const auto preamble = MeterCommands::preambleReport(SimCable::kReportLength);
    cable.write(preamble.data(), preamble.size(), now);
    runUntil(30000 * kMs);
    EXPECT_EQ(reports, 3000);
    EXPECT_EQ(emptyReports, 3000);
    EXPECT_EQ(cable.meter().received(), (std::vector<quint8>{0x5A, 0x00}));
}

TEST_F(SimCableTest, LiveReadingsTwiceASecondUntilStopped)
{
    connect(MeterCommands::StartLive);
    runUntil(10000 * kMs);
    ASSERT_GE(frames.size(), 19);
    ASSERT_LE(frames.size(), 21);
    for (const QString& frame : frames) {
        ASSERT_EQ(frame.size(), 19) << frame.toStdString();
        EXPECT_TRUE(frame.endsWith(QLatin1String("1DA")));
        EXPECT_EQ(frame.at(0), QLatin1Char('2'));           // one decimal, minutes and seconds
        EXPECT_EQ(frame.mid(5, 4), QStringLiteral("1000")); // degrees C, type K
        EXPECT_EQ(frame.at(13), QLatin1Char('0'));          // T1
        const double value = frame.mid(1, 4).toInt() / 10.0;
        EXPECT_GT(value, 15.0);
        EXPECT_LT(value, 35.0);
    }
    // The meter's clock runs: seconds at 10-11, minutes at 12-13.
    EXPECT_EQ(frames.first().mid(9, 4), QStringLiteral("0000"));
    EXPECT_EQ(frames.last().mid(9, 4), QStringLiteral("0900"));

    send(MeterCommands::Stop);
    const int shown = int(frames.size());
    runUntil(20000 * kMs);
    EXPECT_LE(frames.size(), shown + 1); // a message already on its way ends
}

TEST_F(SimCableTest, DownloadSendsOneHundredStoredReadingsAndTheLastIsMarked)
{
    download = true;
    connect(MeterCommands::SendStored);
    runUntil(60000 * kMs);
    ASSERT_EQ(frames.size(), 100);
    for (const QString& frame : frames)
        EXPECT_TRUE(frame.endsWith(QLatin1String("7DA")));
    EXPECT_EQ(frames.last().mid(6, 2), QStringLiteral("99"));
    EXPECT_EQ(frames.at(98).mid(6, 2), QStringLiteral("00"));
    EXPECT_EQ(cable.meter().received(), (std::vector<quint8>{0x5A, 0x00, 0x07, 0x02}));
    EXPECT_FALSE(cable.meter().sending());
}

// A reader that falls behind by up to 64 reports still sees every message
// whole; one that falls further behind loses reports, as on a real cable.
class SimCableSlowReader : public SimCableTest, public ::testing::WithParamInterface<int> {};

TEST_P(SimCableSlowReader, DownloadIsWholeWhileTheQueueHoldsTheReports)
{
    const qint64 readEveryUs = GetParam() * kMs;
    download = true;
    connect(MeterCommands::SendStored);
    runUntil(60000 * kMs, readEveryUs);
    const bool keptUp = readEveryUs <= qint64(SimCable::ReportQueue::kCapacity) * SimCable::kPollUs;
    EXPECT_EQ(queue.dropped() == 0, keptUp);
    if (keptUp) {
        ASSERT_EQ(frames.size(), 100);
        EXPECT_EQ(frames.last().mid(6, 2), QStringLiteral("99"));
        EXPECT_EQ(cable.meter().received(), (std::vector<quint8>{0x5A, 0x00, 0x07, 0x02}));
    } else {
        EXPECT_LT(frames.size(), 100);
    }
}

INSTANTIATE_TEST_SUITE_P(ReadEveryMs, SimCableSlowReader, ::testing::Values(20, 35, 640, 650));

TEST_F(SimCableTest, NothingPassesAtAnotherSpeed)
{
    setSpeed(false);
    send(MeterCommands::StartLive);
    runUntil(5000 * kMs);
    EXPECT_TRUE(frames.isEmpty());
    EXPECT_TRUE(cable.meter().received().empty());
}

TEST_F(SimCableTest, MalformedReportsAreRefused)
{
    const quint8 shortReport[3] = {0x00, 0x01, 0x01};
    EXPECT_FALSE(cable.write(shortReport, sizeof shortReport, now));
    const quint8 feature[6] = {0x00, 0x60, 0x09, 0x00, 0x00, 0x03};
    EXPECT_FALSE(cable.setFeature(feature, sizeof feature));
}

class ReplayCableTest : public SimCableTest {
protected:
    ReplayCableTest()
        : SimCableTest(std::make_unique<ReplayScript>(std::vector<std::string>{"20235100000000001",
                                                                               "2A235100000000001",
                                                                               "20240100000000001"},
                                                      500 * kMs))
    {
    }
};

TEST_F(ReplayCableTest, LinesGoOutInOrderOnePerIntervalAndAgainAtTheNextStart)
{
    connect(MeterCommands::StartLive);
    runUntil(1200 * kMs);
    EXPECT_EQ(frames, (QStringList{QStringLiteral("20235100000000001DA"),
                                   QStringLiteral("2A235100000000001DA")}));
    runUntil(10000 * kMs);
    EXPECT_EQ(frames.size(), 3); // the end of the file ends the replay

    frames.clear();
    send(MeterCommands::StartLive);
    runUntil(20000 * kMs);
    EXPECT_EQ(frames.size(), 3);
}

TEST_F(ReplayCableTest, StopCommandEndsTheReplay)
{
    connect(MeterCommands::StartLive);
    runUntil(700 * kMs);
    send(MeterCommands::Stop);
    runUntil(10000 * kMs);
    EXPECT_EQ(frames.size(), 1);
}

TEST(ReplayScriptTest, SkipsBlankAndCommentLinesAndNamesTheFirstBadLine)
{
    std::vector<std::string> messages;
    QString error;
    ASSERT_TRUE(ReplayScript::parse("# session\r\n\r\n20235100000000001\r\n  2023aBcDeF\n",
                                    messages, error));
    EXPECT_EQ(messages, (std::vector<std::string>{"20235100000000001", "2023ABCDEF"}));

    EXPECT_FALSE(ReplayScript::parse("20235100000000001\n2023x\n", messages, error));
    EXPECT_EQ(error, QStringLiteral("line 2: 'x' is not a frame digit (0-9, A-F)"));
    EXPECT_FALSE(ReplayScript::parse("202351000000000011\n", messages, error));
    EXPECT_EQ(error, QStringLiteral("line 1: more than 17 frame digits"));
}

TEST(ReplayScriptTest, MissingFileIsNamed)
{
    QString error;
    EXPECT_EQ(ReplayScript::load(QStringLiteral("/nonexistent/replay.txt"), 0, error), nullptr);
    EXPECT_TRUE(error.startsWith(QStringLiteral("cannot read /nonexistent/replay.txt")));
}

TEST(MeterMessagesTest, ReadingsAsTheMeterShowsThem)
{
    EXPECT_EQ(MeterMessages::reading(23.5, 0, '1'), "20235100000000001");
    EXPECT_EQ(MeterMessages::reading(-5.25, 61, '7', true), "30053199001010007");
    EXPECT_EQ(MeterMessages::reading(1234.5, 2 * 3600 + 5 * 60, '1'), "41235100002050001");
    EXPECT_EQ(MeterMessages::lineBytes("09AF"),
              (std::vector<quint8>{0x30, 0x39, 0x3A, 0x3F, 0x0D, 0x0A}));
}

} // namespace
