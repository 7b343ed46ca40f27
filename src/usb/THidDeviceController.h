#pragma once

#include "usb/THidEvents.h"
#include "usb/platform/HidPlatform.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class THidDevice;
struct THidPnPInfo;

// Lists the HID device interfaces of the machine, keeps the list current when
// the platform reports a change, hands devices to the application
// (CheckOutAt) and takes them back when the application destroys them. One
// controller per process; everything runs on the GUI thread. The platform
// must outlive the controller and every device checked out of it.
class THidDeviceController : public QObject {
public:
    // Throws EControllerError when another controller exists.
    explicit THidDeviceController(hid::Platform& platform, QObject* owner = nullptr);
    ~THidDeviceController() override;

    // Re-lists the devices and reconciles the list: removals, duplicates,
    // arrivals, then OnDeviceChange when something changed (or never before).
    void DeviceChange();
    // Calls OnEnumerate for each plugged-in device until it returns false;
    // returns the number of plugged-in devices visited.
    qint32 EnumerateDevices();
    // The device at list index Idx, now owned by the caller; nullptr when Idx
    // is outside the list or the device is already checked out.
    THidDevice* CheckOutAt(qint32 Idx);

    // The list as it stands (inspection only; ownership is as described above).
    qint32 DeviceCount() const { return static_cast<qint32>(devices_.size()); }
    THidDevice* DeviceAt(qint32 Idx) const;

    qint32 DevThreadSleepTime() const { return devThreadSleepTime_; }
    void SetDevThreadSleepTime(qint32 ms);
    QString Version() const;
    void SetVersion(const QString&) {} // read-only; assignments are accepted

    const THidPlugEvent& OnArrival() const { return onArrival_; }
    void SetOnArrival(THidPlugEvent handler) { onArrival_ = std::move(handler); }
    const THidEnumerateEvent& OnEnumerate() const { return onEnumerate_; }
    void SetOnEnumerate(THidEnumerateEvent handler) { onEnumerate_ = std::move(handler); }
    const THidNotifyEvent& OnDeviceChange() const { return onDeviceChange_; }
    void SetOnDeviceChange(THidNotifyEvent handler);
    const THidDataEvent& OnDeviceData() const { return onDeviceData_; }
    void SetOnDeviceData(THidDataEvent handler);
    const THidDataErrorEvent& OnDeviceDataError() const { return onDeviceDataError_; }
    void SetOnDeviceDataError(THidDataErrorEvent handler);
    const THidPlugEvent& OnDeviceUnplug() const { return onDeviceUnplug_; }
    void SetOnDeviceUnplug(THidPlugEvent handler);
    const THidPlugEvent& OnRemoval() const { return onRemoval_; }
    void SetOnRemoval(THidPlugEvent handler) { onRemoval_ = std::move(handler); }

private:
    friend class THidDevice;

    std::vector<std::unique_ptr<THidDevice>> ListInterfaces();
    qint32 IndexOf(const THidDevice* device) const;
    // The list side of a check-in (called from the device's destructor).
    void CheckIn(THidDevice* device, const THidDataEvent& onReport,
                 const THidPlugEvent& onUnplugged);

    hid::Platform& platform_;
    std::vector<THidDevice*> devices_; // owned unless checked out
    qint32 devThreadSleepTime_ = 100;
    bool notifiedOnce_ = false;
    THidPlugEvent onArrival_;
    THidEnumerateEvent onEnumerate_;
    THidNotifyEvent onDeviceChange_;
    THidDataEvent onDeviceData_;
    THidDataErrorEvent onDeviceDataError_;
    THidPlugEvent onDeviceUnplug_;
    THidPlugEvent onRemoval_;
};
