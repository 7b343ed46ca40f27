// A face without widgets drives the logger session through whole runs
// (connect, readings, a download, disconnect) on the fake cable, whose
// reports are scripted byte by byte, and on the simulated meter. It checks
// what the cable received, the table's rows and what the session reported,
// in its order.
#include "EventLoopWait.h"
#include "FakeCableTraffic.h"
#include "recording/ReadingTable.h"
#include "session/LoggerSession.h"
#include "sim/MeterMessages.h"
#include "sim/SimHidPlatform.h"
#include "usb/THidDevice.h"
#include "usb/platform/fake/FakeHidPlatform.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <algorithm>

namespace {

const QString kRecordDeleted = QStringLiteral("info Record deleted");

// The test-only face: one line per report of the session.
class HeadlessFace : public SessionObserver {
public:
    explicit HeadlessFace(LoggerSession& session) : session_(session)
    {
        session_.addObserver(this);
    }
    ~HeadlessFace() override { session_.removeObserver(this); }

    QStringList events;
    int framesArrived = 0; // the watchdog's "alive" beats

private:
    void devicesListed() override
    {
        events << QStringLiteral("listed %1").arg(session_.cables().chosen());
    }
    void linkStateChanged(LinkState state) override
    {
        events << (state == LinkState::Connected ? QStringLiteral("connected")
                                                 : QStringLiteral("idle"));
    }
    void connectionReleased() override { events << QStringLiteral("released"); }
    void readingsArriving(bool arriving) override { framesArrived += arriving ? 1 : 0; }
    void readingDecoded(const DecodedReading&, std::optional<Verdict> verdict) override
    {
        events << QStringLiteral("decoded %1 %2")
                      .arg(session_.state().ValueText.trimmed(),
                           verdict ? verdictText(*verdict) : QStringLiteral("-"));
    }
    void rowAppended(int row) override { events << QStringLiteral("row %1").arg(row); }
    void tableEmptied() override { events << QStringLiteral("emptied"); }
    void chartValueAdded(double value) override { events << QStringLiteral("chart %1").arg(value); }
    void information(const QString& text) override
    {
        events << QStringLiteral("info ") + text.trimmed();
    }

    LoggerSession& session_;
};

// The frame a meter message gives: its digits, then CR and LF.
QString frameOf(const std::string& digits)
{
    return QString::fromStdString(digits) + QStringLiteral("DA");
}

class FakeCableSession : public ::testing::Test {
protected:
    FakeCableSession()
    {
        hidfake::DeviceProfile profile;
        profile.product = u"USB to Serial";
        cable = platform.plug(profile);
        ScheduleSettings everyReading;
        everyReading.intervalOn = false;
        session.setSchedule(everyReading);
        session.setLimits(
            {QStringLiteral("20"), QStringLiteral("30"), QStringLiteral("0"), QStringLiteral("0")});
        session.openDevices(&platform);
    }

    void send(const std::string& digits) { fake_cable::send(*cable, digits); }
    QStringList sent() const { return fake_cable::sent(*cable); }
    bool reading() const
    {
        const THidDevice* device = session.cables().chosenDevice();
        return device && bool(device->OnReport());
    }

    hidfake::FakeHidPlatform platform; // outlives the session's devices
    std::shared_ptr<hidfake::FakeHidDevice> cable;
    LoggerSession session;
    HeadlessFace face{session};
};

TEST_F(FakeCableSession, LiveRunSendsItsReportsInOrderAndRecordsEachShownReading)
{
    session.pressConnection(true);
    EXPECT_TRUE(reading());
    send(MeterMessages::reading(23.5, 60, '1'));
    send(MeterMessages::reading(24.0, 61, '7')); // stored reading in live mode: dropped
    send(MeterMessages::reading(40.0, 62, '1'));
    ASSERT_TRUE(pumpUntil([&] { return session.table().rowCount() == 2; }));
    ASSERT_TRUE(pumpUntil([&] { return cable->queuedReports() == 0; }));
    pumpFor(20);
    session.pressConnection(false);

    EXPECT_FALSE(reading());
    // Each press sets the speed first: 2400 baud, low byte first.
    ASSERT_EQ(cable->features().size(), 2u);
    for (const std::vector<quint8>& feature : cable->features()) {
        EXPECT_EQ(feature[1], 0x60);
        EXPECT_EQ(feature[2], 0x09);
    }
    EXPECT_EQ(sent(), (QStringList{"preamble", "1", "2"}));
    EXPECT_EQ(face.events,
              (QStringList{"listed 0", "connected", "decoded 023.5 Pass", "row 0", "chart 23.5",
                           "decoded 040.0 Fail", "row 1", "chart 40", "idle"}));
    EXPECT_EQ(face.framesArrived, 2);
    const ReadingStore& rows = session.table().rows();
    EXPECT_EQ(rows.number(1), 2);
    EXPECT_EQ(rows.text(0, ReadingField::AJudge), QStringLiteral("Pass"));
    EXPECT_EQ(rows.text(1, ReadingField::AValue), QStringLiteral(" 040.0"));
}

TEST_F(FakeCableSession, DownloadEmptiesTheTableAndStopsTheMeterAfterItsLastStoredReading)
{
    session.state().ValueText = QStringLiteral(" 099.9");
    session.recordReading();
    ASSERT_EQ(session.table().rowCount(), 1);
    face.events.clear();
    session.setRecall(true);

    session.pressConnection(true);
    EXPECT_EQ(session.table().rowCount(), 0);
    send(MeterMessages::reading(21.0, 10, '1')); // live reading during a download: dropped
    send(MeterMessages::reading(22.0, 11, '7'));
    send(MeterMessages::reading(23.0, 12, '7', true));
    ASSERT_TRUE(pumpUntil([&] { return sent().size() == 3; }));
    EXPECT_EQ(sent(), (QStringList{"preamble", "7", "2"}));
    EXPECT_TRUE(reading()); // the user disconnects
    session.pressConnection(false);

    EXPECT_EQ(sent(), (QStringList{"preamble", "7", "2", "2"}));
    EXPECT_EQ(face.events, (QStringList{"connected", kRecordDeleted, "emptied", kRecordDeleted,
                                        "decoded 022.0 Pass", "row 0", "chart 22",
                                        "decoded 023.0 Pass", "row 1", "chart 23", "idle"}));
    EXPECT_EQ(session.table().rows().number(0), 1);
    EXPECT_EQ(session.state().NextRecordNo, 3);
}

// One frame shown without a cable: what the schedule lets through.
struct ScheduleCase {
    const char* name;
    bool intervalOn;
    qint32 countdown;
    qint32 recordLimit;
    QStringList events;
};

void PrintTo(const ScheduleCase& c, std::ostream* out)
{
    *out << c.name;
}

class SessionSchedule : public ::testing::TestWithParam<ScheduleCase> {};

TEST_P(SessionSchedule, ReportsTheReadingThenWhatTheScheduleMadeOfIt)
{
    const ScheduleCase& c = GetParam();
    LoggerSession session;
    HeadlessFace face(session);
    ScheduleSettings settings;
    settings.intervalOn = c.intervalOn;
    session.setSchedule(settings);
    session.setRecordLimit(c.recordLimit);
    session.state().SampleCountdown = c.countdown;
    session.state().CurrentFrame = frameOf(MeterMessages::reading(25.0, 5, '1'));
    session.showFrame();
    EXPECT_EQ(face.events, c.events);
    EXPECT_EQ(session.table().rowCount(), c.events.contains("row 0") ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SessionSchedule,
    ::testing::Values(ScheduleCase{"Due", true, 0, 10, {"decoded 025.0 Fail", "row 0", "chart 25"}},
                      ScheduleCase{"NotDue", true, 3, 10, {"decoded 025.0 Fail", "chart 25"}},
                      ScheduleCase{
                          "IntervalOff", false, 3, 10, {"decoded 025.0 Fail", "row 0", "chart 25"}},
                      ScheduleCase{"LimitReached", true, 0, 0, {"decoded 025.0 Fail"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SimulatedCableSession, WholeDownloadOfTheBuiltInMeterBecomesRows)
{
    SimHidPlatform platform(MeterMessages::builtIn(), SimClock::jumping());
    LoggerSession session;
    HeadlessFace face(session);
    ScheduleSettings everyReading;
    everyReading.intervalOn = false;
    session.setSchedule(everyReading);
    session.setRecall(true);
    session.openDevices(&platform);

    const auto meterBytes = [&] {
        QStringList bytes;
        for (quint8 byte : platform.meterBytesReceived())
            bytes << QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
        return bytes.join(QLatin1Char(' '));
    };
    session.pressConnection(true);
    ASSERT_TRUE(pumpUntil([&] { return meterBytes() == QStringLiteral("5A 00 07 02"); }));
    session.pressConnection(false);

    EXPECT_EQ(meterBytes(), QStringLiteral("5A 00 07 02 02"));
    EXPECT_EQ(platform.cableBaudRate(), 2400u);
    ASSERT_EQ(session.table().rowCount(), 100);
    EXPECT_EQ(session.table().rows().number(99), 100);
    EXPECT_EQ(face.events.filter(QStringLiteral("row ")).size(), 100);
    EXPECT_EQ(face.events.last(), QStringLiteral("idle"));
    session.closeDevices();
}

} // namespace
