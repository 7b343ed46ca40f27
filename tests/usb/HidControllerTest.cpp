// The controller: one per process, listing, reconciliation on device change,
// enumeration, check-out and the side effects of its setters.
#include "HidTestSupport.h"

#include "usb/EControllerError.h"

#include <gtest/gtest.h>

#include <memory>

using hidfake::DeviceProfile;
using hidfake::Openable;
using hidtest::Recorder;

namespace {

DeviceProfile named(const char16_t* product)
{
    DeviceProfile profile;
    profile.product = product;
    return profile;
}

class HidControllerTest : public ::testing::Test {
protected:
    void makeController() { controller = std::make_unique<THidDeviceController>(platform); }
    std::vector<quint32> listedInstances() const
    {
        std::vector<quint32> instances;
        for (qint32 i = 0; i < controller->DeviceCount(); ++i)
            instances.push_back(controller->DeviceAt(i)->InterfaceInfo().InstanceHandle);
        return instances;
    }
    void bindWindowHandlers()
    {
        controller->SetOnArrival(THidPlugEvent(&recorder, &Recorder::Arrival));
        controller->SetOnEnumerate(THidEnumerateEvent(&recorder, &Recorder::Enumerate));
        controller->SetOnDeviceChange(THidNotifyEvent(&recorder, &Recorder::Change));
        controller->SetOnRemoval(THidPlugEvent(&recorder, &Recorder::Removal));
    }

    hidfake::FakeHidPlatform platform;
    Recorder recorder;
    std::unique_ptr<THidDeviceController> controller;
};

TEST_F(HidControllerTest, OnlyOneControllerPerProcess)
{
    makeController();
    try {
        THidDeviceController second(platform);
        FAIL() << "second controller constructed";
    } catch (const EControllerError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Only one THidDeviceController allowed per program"));
    }
    controller.reset();
    makeController(); // the failed one left no count behind
    EXPECT_EQ(controller->Version(), QStringLiteral("1.0.22"));
    controller->SetVersion(QStringLiteral("2.0"));
    EXPECT_EQ(controller->Version(), QStringLiteral("1.0.22"));
}

TEST_F(HidControllerTest, ListsOpenableDevicesInOrderAndSkipsTheRest)
{
    auto a = platform.plug(named(u"A"));
    DeviceProfile broken;
    broken.openable = Openable::Never;
    platform.plug(broken);
    DeviceProfile anonymous;
    anonymous.identifiable = false;
    platform.plug(anonymous);
    DeviceProfile queryOnly = named(u"Q");
    queryOnly.openable = Openable::QueryOnly;
    auto q = platform.plug(queryOnly);
    makeController();
    EXPECT_EQ(listedInstances(), (std::vector<quint32>{a->instance(), q->instance()}));
    EXPECT_TRUE(platform.hasDeviceChangeHandler());
    EXPECT_EQ(controller->DevThreadSleepTime(), 100);
}

TEST_F(HidControllerTest, MissingPlatformGivesAnEmptyListAndNoNotifications)
{
    platform.plug();
    platform.setAvailable(false);
    makeController();
    EXPECT_EQ(controller->DeviceCount(), 0);
    EXPECT_FALSE(platform.hasDeviceChangeHandler());
    bindWindowHandlers();
    EXPECT_EQ(recorder.changes, 1);
    EXPECT_EQ(controller->EnumerateDevices(), 0);
}

TEST_F(HidControllerTest, BindingOnDeviceChangeNotifiesOnceAndRebindingNever)
{
    platform.plug();
    makeController();
    THidNotifyEvent change(&recorder, &Recorder::Change);
    controller->SetOnDeviceChange(change);
    EXPECT_EQ(recorder.changes, 1);
    EXPECT_EQ(recorder.lastSender, controller.get());
    controller->SetOnDeviceChange(change);
    Recorder other;
    controller->SetOnDeviceChange(THidNotifyEvent(&other, &Recorder::Change));
    platform.fireDeviceChange(); // nothing changed
    EXPECT_EQ(recorder.changes, 1);
    EXPECT_EQ(other.changes, 0);
}

TEST_F(HidControllerTest, EnumerateVisitsPluggedInDevicesWithListIndicesUntilFalse)
{
    for (const char16_t* name : {u"D0", u"D1", u"D2", u"D3"})
        platform.plug(named(name));
    makeController();
    std::unique_ptr<THidDevice> gone(controller->CheckOutAt(1));
    gone->MarkUnplugged(); // stays listed, unplugged, until checked in

    EXPECT_EQ(controller->EnumerateDevices(), 1); // no handler: stops at the first
    controller->SetOnEnumerate(THidEnumerateEvent(&recorder, &Recorder::Enumerate));
    EXPECT_EQ(controller->EnumerateDevices(), 3);
    EXPECT_EQ(recorder.enumerated, (std::vector<qint32>{0, 2, 3}));
    // Inside the handler the device is accessible without being checked out.
    EXPECT_EQ(recorder.products, (std::vector<QString>{"D0", "D2", "D3"}));
    EXPECT_EQ(recorder.inEventSeen, (std::vector<bool>{true, true, true}));
    EXPECT_FALSE(controller->DeviceAt(0)->InEvent());

    recorder.enumerated.clear();
    recorder.stopAtIndex = 2;
    EXPECT_EQ(controller->EnumerateDevices(), 2); // the stopping device counts
    EXPECT_EQ(recorder.enumerated, (std::vector<qint32>{0, 2}));
}

TEST_F(HidControllerTest, CheckOutAtRefusesOutsideTheListAndTwice)
{
    platform.plug();
    platform.plug();
    makeController();
    controller->SetOnDeviceData(THidDataEvent(&recorder, &Recorder::Data));
    EXPECT_EQ(controller->CheckOutAt(-1), nullptr);
    EXPECT_EQ(controller->CheckOutAt(2), nullptr);
    std::unique_ptr<THidDevice> device(controller->CheckOutAt(1));
    ASSERT_TRUE(device);
    EXPECT_TRUE(device->CheckedOut());
    EXPECT_TRUE(device->HasReader()); // it already had the controller's report handler
    EXPECT_EQ(controller->CheckOutAt(1), nullptr);
    EXPECT_EQ(controller->DeviceCount(), 2);
    EXPECT_FALSE(controller->DeviceAt(0)->CheckedOut());
}

TEST_F(HidControllerTest, DeviceChangeRemovesKeepsAndAppends)
{
    auto keep = platform.plug(named(u"keep"));
    auto leave = platform.plug(named(u"leave"));
    auto held = platform.plug(named(u"held"));
    makeController();
    bindWindowHandlers();
    ASSERT_EQ(recorder.changes, 1);
    THidDevice* kept = controller->DeviceAt(0);
    std::unique_ptr<THidDevice> checkedOut(controller->CheckOutAt(2));
    checkedOut->SetOnUnplugged(THidPlugEvent(&recorder, &Recorder::Unplugged));

    platform.unplug(leave);
    platform.unplug(held);
    auto fresh1 = platform.plug(named(u"new1"));
    auto fresh2 = platform.plug(named(u"new2"));
    platform.fireDeviceChange();

    // Removals from the last entry to the first; each inside its handler.
    ASSERT_EQ(recorder.removals.size(), 2u);
    EXPECT_EQ(recorder.removals[0], checkedOut.get());
    EXPECT_EQ(recorder.unplugged, std::vector<THidDevice*>{checkedOut.get()});
    // The checked-out device stays listed, unplugged; the other left.
    EXPECT_EQ(listedInstances(), (std::vector<quint32>{keep->instance(), held->instance(),
                                                       fresh1->instance(), fresh2->instance()}));
    EXPECT_EQ(controller->DeviceAt(0), kept); // present devices are kept, not rebuilt
    EXPECT_FALSE(checkedOut->PluggedIn());
    ASSERT_EQ(recorder.arrivals.size(), 2u);
    EXPECT_EQ(recorder.arrivals[0]->InterfaceInfo().InstanceHandle, fresh1->instance());
    EXPECT_EQ(recorder.inEventSeen, (std::vector<bool>{true, true, true, true}));
    EXPECT_EQ(recorder.changes, 2);

    // Nothing changed: no notification, but the unplugged checked-out device
    // is reported removed again until it is checked in.
    platform.fireDeviceChange();
    EXPECT_EQ(recorder.changes, 3);
    EXPECT_EQ(recorder.removals.size(), 3u);
    checkedOut.reset();
    platform.fireDeviceChange();
    EXPECT_EQ(recorder.changes, 3);
    EXPECT_EQ(controller->DeviceCount(), 3);
}

TEST_F(HidControllerTest, ReplugIsARemovalAndAnArrival)
{
    auto cable = platform.plug(hidtest::cableProfile());
    makeController();
    bindWindowHandlers();
    auto again = platform.replug(cable);
    platform.fireDeviceChange();
    EXPECT_EQ(recorder.removals.size(), 1u);
    EXPECT_EQ(recorder.arrivals.size(), 1u);
    EXPECT_EQ(listedInstances(), std::vector<quint32>{again->instance()});
}

TEST_F(HidControllerTest, ChangeReportedInsideAnArrivalHandlerListsEachDeviceOnce)
{
    makeController();
    int tag = 0;
    int nested = 0;
    controller->SetOnArrival(THidPlugEvent::fromCallable(&tag, [&](THidDevice*) {
        if (nested++ == 0)
            platform.fireDeviceChange();
    }));
    auto a = platform.plug();
    auto b = platform.plug();
    platform.fireDeviceChange();
    EXPECT_EQ(listedInstances(), (std::vector<quint32>{a->instance(), b->instance()}));
}

TEST_F(HidControllerTest, DefaultHandlersPassOnlyToDevicesStillUsingTheOldOne)
{
    platform.plug();
    platform.plug();
    auto readable = platform.plug(hidtest::cableProfile());
    makeController();
    Recorder own;
    controller->DeviceAt(1)->SetOnReport(THidDataEvent(&own, &Recorder::Data));
    controller->DeviceAt(1)->SetOnReportError(THidDataErrorEvent(&own, &Recorder::DataError));
    controller->DeviceAt(1)->SetOnUnplugged(THidPlugEvent(&own, &Recorder::Unplugged));
    std::unique_ptr<THidDevice> out(controller->CheckOutAt(2));
    EXPECT_FALSE(out->HasReader());

    const THidDataEvent data(&recorder, &Recorder::Data);
    const THidDataErrorEvent error(&recorder, &Recorder::DataError);
    const THidPlugEvent unplug(&recorder, &Recorder::Unplugged);
    controller->SetOnDeviceData(data);
    controller->SetOnDeviceDataError(error);
    controller->SetOnDeviceUnplug(unplug);
    for (qint32 i : {0, 2}) {
        EXPECT_EQ(controller->DeviceAt(i)->OnReport(), data);
        EXPECT_EQ(controller->DeviceAt(i)->OnReportError(), error);
        EXPECT_EQ(controller->DeviceAt(i)->OnUnplugged(), unplug);
    }
    EXPECT_EQ(controller->DeviceAt(1)->OnReport(), THidDataEvent(&own, &Recorder::Data));
    EXPECT_EQ(controller->DeviceAt(1)->OnReportError(),
              THidDataErrorEvent(&own, &Recorder::DataError));
    EXPECT_EQ(controller->DeviceAt(1)->OnUnplugged(), THidPlugEvent(&own, &Recorder::Unplugged));
    // Handing the report handler to a checked-out device starts its reader.
    EXPECT_TRUE(out->HasReader());
    readable->pushReport({0, 5});
    ASSERT_TRUE(hidtest::waitFor([&] { return recorder.reports.size() == 1; }));

    // A device listed later starts with the report and unplug defaults only.
    auto late = platform.plug();
    platform.fireDeviceChange();
    EXPECT_EQ(controller->DeviceAt(3)->OnReport(), data);
    EXPECT_EQ(controller->DeviceAt(3)->OnUnplugged(), unplug);
    EXPECT_FALSE(controller->DeviceAt(3)->OnReportError());
}

TEST_F(HidControllerTest, SleepTimeReachesDevicesStillAtTheOldValue)
{
    platform.plug();
    platform.plug();
    makeController();
    controller->DeviceAt(1)->SetSliceMs(500);
    controller->SetDevThreadSleepTime(40);
    EXPECT_EQ(controller->DeviceAt(0)->SliceMs(), 40);
    EXPECT_EQ(controller->DeviceAt(1)->SliceMs(), 500);
    controller->SetDevThreadSleepTime(5); // stored, but no device takes it
    EXPECT_EQ(controller->DevThreadSleepTime(), 5);
    EXPECT_EQ(controller->DeviceAt(0)->SliceMs(), 40);
    platform.plug();
    platform.fireDeviceChange();
    EXPECT_EQ(controller->DeviceAt(2)->SliceMs(), 100);
}

TEST_F(HidControllerTest, WindowCycleChecksEverythingInAndOutAgainOnEachChange)
{
    // What the window does on every change: check all lines in, then
    // enumerate and check each device out again.
    std::vector<std::unique_ptr<THidDevice>> lines;
    auto cycle = [&](QObject*) {
        lines.clear();
        controller->EnumerateDevices();
    };
    auto checkOut = [&](THidDevice*, qint32 idx) {
        lines.emplace_back(controller->CheckOutAt(idx));
        return true;
    };
    platform.plug(hidtest::cableProfile());
    auto other = platform.plug();
    makeController();
    int tag = 0;
    controller->SetOnEnumerate(THidEnumerateEvent::fromCallable(&tag, checkOut));
    controller->SetOnDeviceChange(THidNotifyEvent::fromCallable(&tag, cycle));
    ASSERT_EQ(lines.size(), 2u);
    platform.unplug(other);
    platform.fireDeviceChange();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]->QueryProduct(), QStringLiteral("USB to Serial"));
    EXPECT_EQ(controller->DeviceCount(), 1);
    lines.clear();
    controller.reset();
}

} // namespace

namespace {

TEST_F(HidControllerTest, UnplugHandlerMayCheckInOtherDevicesWhileTheControllerGoesAway)
{
    platform.plug();
    platform.plug();
    makeController();
    THidDevice* first = controller->CheckOutAt(0);
    THidDevice* second = controller->CheckOutAt(1);
    int tag = 0;
    first->SetOnUnplugged(THidPlugEvent::fromCallable(&tag, [&](THidDevice* self) {
        delete second;
        delete self;
    }));
    second->SetOnUnplugged(THidPlugEvent(&recorder, &Recorder::Unplugged));
    controller.reset();
    EXPECT_TRUE(recorder.unplugged.empty());
}

} // namespace
