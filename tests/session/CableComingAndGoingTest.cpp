// HID devices coming and going during a recording, on the fake platform: the
// linked cable reads on through other devices' changes, its own removal ends
// the link, and a cable coming back while the link is wanted is taken up
// again for live readings, unless the user or a silent meter ended the wish.
#include "EventLoopWait.h"
#include "FakeCableTraffic.h"
#include "session/LoggerSession.h"
#include "usb/THidDevice.h"
#include "usb/platform/fake/FakeHidPlatform.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <functional>

namespace {

hidfake::DeviceProfile cableProfile()
{
    hidfake::DeviceProfile profile;
    profile.product = u"USB to Serial";
    return profile;
}

// What the link tells a face: connects and releases, in order.
class LinkEvents : public SessionObserver {
public:
    QStringList events;

private:
    void linkStateChanged(LinkState state) override
    {
        events << (state == LinkState::Connected ? QStringLiteral("connected")
                                                 : QStringLiteral("idle"));
    }
    void connectionReleased() override { events << QStringLiteral("released"); }
    void tableEmptied() override { events << QStringLiteral("emptied"); }
};

class LinkedCable : public ::testing::Test {
protected:
    LinkedCable()
    {
        keyboard = platform.plug();
        cable = platform.plug(cableProfile());
        ScheduleSettings everyReading;
        everyReading.intervalOn = false;
        session.setSchedule(everyReading);
        session.addObserver(&face);
        session.openDevices(&platform);
    }
    ~LinkedCable() override
    {
        session.removeObserver(&face);
        session.closeDevices();
    }

    static void send(hidfake::FakeHidDevice& to, double value)
    {
        fake_cable::send(to, MeterMessages::reading(value, 1, '1'));
    }
    static QStringList sent(const hidfake::FakeHidDevice& to) { return fake_cable::sent(to); }
    void connectAndRecord(double value)
    {
        session.pressConnection(true);
        send(*cable, value);
        ASSERT_TRUE(pumpUntil([&] { return session.table().rowCount() == 1; }));
        face.events.clear();
    }
    THidDevice* linked() const
    {
        THidDevice* device = session.cables().chosenDevice();
        return device && device->OnReport() ? device : nullptr;
    }
    // The cable leaves and a new one of its kind is plugged in.
    void cableLeavesAndComesBack()
    {
        platform.unplug(cable);
        platform.fireDeviceChange();
        cable = platform.plug(cableProfile());
        platform.fireDeviceChange();
    }

    hidfake::FakeHidPlatform platform; // outlives the session's devices
    std::shared_ptr<hidfake::FakeHidDevice> keyboard;
    std::shared_ptr<hidfake::FakeHidDevice> cable;
    LoggerSession session;
    LinkEvents face;
};

// Another device's change while a reading waits in the cable's queue.
struct OtherDeviceCase {
    const char* name;
    std::function<void(hidfake::FakeHidPlatform&, std::shared_ptr<hidfake::FakeHidDevice>&)> change;
    int lines; // devices listed afterwards
};

void PrintTo(const OtherDeviceCase& c, std::ostream* out)
{
    *out << c.name;
}

class OtherDeviceWhileLinked : public LinkedCable,
                               public ::testing::WithParamInterface<OtherDeviceCase> {};

TEST_P(OtherDeviceWhileLinked, LeavesTheCableReadingWithNoReadingLost)
{
    connectAndRecord(21.0);
    THidDevice* before = linked();
    ASSERT_NE(before, nullptr);
    const THidDeviceReadThread* reader = before->Reader();

    send(*cable, 22.0); // not yet handed over when the change comes
    GetParam().change(platform, keyboard);
    platform.fireDeviceChange();
    send(*cable, 23.0);

    ASSERT_TRUE(pumpUntil([&] { return session.table().rowCount() == 3; }));
    EXPECT_EQ(session.cables().count(), GetParam().lines);
    EXPECT_EQ(linked(), before); // same object, still chosen
    EXPECT_EQ(session.activeCable(), before);
    EXPECT_EQ(before->Reader(), reader);
    EXPECT_TRUE(face.events.isEmpty());
    EXPECT_EQ(sent(*cable), (QStringList{"preamble", "1"}));
    EXPECT_EQ(session.table().rows().text(2, ReadingField::AValue), QStringLiteral(" 023.0"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OtherDeviceWhileLinked,
    ::testing::Values(
        OtherDeviceCase{"Arrives", [](auto& p, auto&) { p.plug(); }, 3},
        OtherDeviceCase{"Leaves", [](auto& p, auto& keyboard) { p.unplug(keyboard); }, 1},
        OtherDeviceCase{"ReplugsAsAnotherDevice",
                        [](auto& p, auto& keyboard) { keyboard = p.replug(keyboard); }, 2},
        // A second cable listed after the linked one would be chosen at a
        // fresh start; the linked one keeps the selection.
        OtherDeviceCase{"SecondCableArrives", [](auto& p, auto&) { p.plug(cableProfile()); }, 3}),
    [](const auto& info) { return std::string(info.param.name); });

// The cable comes back after a connection for live or for stored readings.
class CableComesBack : public LinkedCable, public ::testing::WithParamInterface<bool> {};

TEST_P(CableComesBack, ResumesLiveReadingsWithRowsKept)
{
    session.setRecall(GetParam());
    session.pressConnection(true);
    ASSERT_NE(linked(), nullptr);
    send(*cable, 21.0);
    // A download ends only on the last stored reading; a live one in its
    // place is dropped, so rows come from live readings after the return.
    if (!GetParam()) {
        ASSERT_TRUE(pumpUntil([&] { return session.table().rowCount() == 1; }));
    }
    const int rowsBefore = session.table().rowCount();
    const qint32 nextBefore = session.state().NextRecordNo;
    face.events.clear();

    // Leaving ends the link but keeps it wanted.
    platform.unplug(cable);
    platform.fireDeviceChange();
    EXPECT_EQ(session.cables().chosen(), -1);
    EXPECT_EQ(session.activeCable(), nullptr);
    EXPECT_TRUE(session.connectionWanted());
    cable = platform.plug(cableProfile());
    platform.fireDeviceChange();
    send(*cable, 24.5);

    EXPECT_EQ(face.events, (QStringList{"released", "connected"}));
    ASSERT_EQ(cable->features().size(), 1u);
    EXPECT_EQ(cable->features()[0][1], 0x60); // 2400 baud, low byte first
    EXPECT_EQ(sent(*cable), (QStringList{"preamble", "1"}));
    ASSERT_TRUE(pumpUntil([&] { return session.table().rowCount() == rowsBefore + 1; }));
    EXPECT_EQ(session.table().rows().number(rowsBefore), nextBefore);
    EXPECT_EQ(session.table().rows().text(rowsBefore, ReadingField::AValue),
              QStringLiteral(" 024.5"));
    EXPECT_TRUE(session.connectionWanted());
}

INSTANTIATE_TEST_SUITE_P(AfterConnecting, CableComesBack, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "ForADownload" : "ForLive"; });

// What ended the wish to be connected before the cable came back.
struct EndCase {
    const char* name;
    std::function<void(LoggerSession&)> end;
    QStringList events;
};

void PrintTo(const EndCase& c, std::ostream* out)
{
    *out << c.name;
}

class WishEnded : public LinkedCable, public ::testing::WithParamInterface<EndCase> {};

TEST_P(WishEnded, CableComingBackIsLeftAlone)
{
    connectAndRecord(21.0);
    GetParam().end(session);
    face.events.clear();
    cableLeavesAndComesBack();

    EXPECT_EQ(face.events, GetParam().events);
    EXPECT_FALSE(session.connectionWanted());
    EXPECT_TRUE(cable->outputs().empty());
    EXPECT_TRUE(cable->features().empty());
    EXPECT_EQ(linked(), nullptr);
    EXPECT_NE(session.cables().chosenDevice(), nullptr); // listed and chosen
    EXPECT_EQ(session.table().rowCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WishEnded,
    ::testing::Values(
        EndCase{"Disconnected", [](LoggerSession& s) { s.pressConnection(false); }, {}},
        EndCase{"Quit", [](LoggerSession& s) { s.forgoConnection(); }, {"released"}},
        // The no-data timeout: the meter is off.
        EndCase{"SilentMeter",
                [](LoggerSession& s) {
                    s.state().EmptyReportCount = 3000;
                    s.state().LinkWatchdog = 2;
                    s.watchdogTick();
                },
                {}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
