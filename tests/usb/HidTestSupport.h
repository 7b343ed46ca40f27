#pragma once

#include "usb/THidDevice.h"
#include "usb/THidDeviceController.h"
#include "usb/platform/fake/FakeHidPlatform.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QObject>

#include <memory>
#include <stdexcept>
#include <vector>

namespace hidtest {

// Runs the event loop until the condition holds; false after a generous
// limit, which only a fault reaches.
template <typename Condition> bool waitFor(Condition condition, int limitMs = 20000)
{
    QDeadlineTimer deadline(limitMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

inline hidfake::DeviceProfile cableProfile()
{
    hidfake::DeviceProfile profile;
    profile.vendorId = 0x04D9;
    profile.productId = 0xE000;
    profile.product = u"USB to Serial";
    return profile;
}

struct Report {
    THidDevice* device;
    quint8 id;
    std::vector<quint8> data;
};

// Stands in for the window: member functions bound as handlers, recording
// every call.
class Recorder : public QObject {
public:
    void Data(THidDevice* HidDev, quint8 ReportID, const quint8* Data, quint16 Size)
    {
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        reports.push_back({HidDev, ReportID, std::vector<quint8>(Data, Data + Size)});
        if (onData)
            onData(HidDev);
        --depth;
        if (throwOnData)
            throw std::runtime_error("frame cannot be decoded");
    }
    void DataError(THidDevice* HidDev, quint32 Error) { errors.push_back({HidDev, Error}); }
    void Arrival(THidDevice* HidDev)
    {
        arrivals.push_back(HidDev);
        inEventSeen.push_back(HidDev->InEvent());
    }
    void Removal(THidDevice* HidDev)
    {
        removals.push_back(HidDev);
        inEventSeen.push_back(HidDev->InEvent());
    }
    void Unplugged(THidDevice* HidDev) { unplugged.push_back(HidDev); }
    void Change(QObject* Sender)
    {
        ++changes;
        lastSender = Sender;
    }
    bool Enumerate(THidDevice* HidDev, qint32 Idx)
    {
        enumerated.push_back(Idx);
        inEventSeen.push_back(HidDev->InEvent());
        products.push_back(HidDev->QueryProduct());
        return Idx != stopAtIndex;
    }

    std::vector<Report> reports;
    std::vector<std::pair<THidDevice*, quint32>> errors;
    std::vector<THidDevice*> arrivals, removals, unplugged;
    std::vector<bool> inEventSeen;
    std::vector<qint32> enumerated;
    std::vector<QString> products;
    int changes = 0;
    QObject* lastSender = nullptr;
    qint32 stopAtIndex = -1;
    bool throwOnData = false;
    std::function<void(THidDevice*)> onData;
    int depth = 0;
    int maxDepth = 0;
};

// One cable plugged and checked out of a controller; startReading() binds
// the recorder as its report handler, which starts the read thread.
class CableReaderTest : public ::testing::Test {
protected:
    virtual hidfake::DeviceProfile profile() const { return cableProfile(); }
    void SetUp() override
    {
        cable = platform.plug(profile());
        controller = std::make_unique<THidDeviceController>(platform);
        device.reset(controller->CheckOutAt(0));
        ASSERT_TRUE(device);
    }
    void TearDown() override
    {
        device.reset();
        controller.reset();
    }
    void startReading() { device->SetOnReport(THidDataEvent(&recorder, &Recorder::Data)); }

    hidfake::FakeHidPlatform platform;
    std::shared_ptr<hidfake::FakeHidDevice> cable;
    std::unique_ptr<THidDeviceController> controller;
    std::unique_ptr<THidDevice> device;
    Recorder recorder;
};

} // namespace hidtest
