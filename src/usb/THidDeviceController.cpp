#include "usb/THidDeviceController.h"

#include "usb/EControllerError.h"
#include "usb/THidDevice.h"

#include <algorithm>
#include <atomic>
#include <memory>

namespace {

std::atomic<int> controllerCount{0};

// Sets a device's InEvent for the duration of a handler call, unless the
// handler destroyed the device.
class InEventScope {
public:
    InEventScope(bool& flag, std::weak_ptr<const bool> lifetime)
        : flag_(flag), lifetime_(std::move(lifetime))
    {
        flag_ = true;
    }
    ~InEventScope()
    {
        if (!lifetime_.expired())
            flag_ = false;
    }
    InEventScope(const InEventScope&) = delete;
    InEventScope& operator=(const InEventScope&) = delete;

private:
    bool& flag_;
    std::weak_ptr<const bool> lifetime_;
};

} // namespace

THidDeviceController::THidDeviceController(hid::Platform& platform, QObject* owner)
    : QObject(owner), platform_(platform)
{
    if (++controllerCount > 1) {
        --controllerCount;
        throw EControllerError(EControllerError::OnlyOneController);
    }
    for (auto& device : ListInterfaces())
        devices_.push_back(device.release());
    if (platform_.available())
        platform_.setDeviceChangeHandler([this] { DeviceChange(); });
}

THidDeviceController::~THidDeviceController()
{
    --controllerCount;
    onDeviceChange_ = nullptr;
    onDeviceUnplug_ = nullptr;
    onEnumerate_ = nullptr;
    platform_.setDeviceChangeHandler({});
    std::vector<THidDevice*> devices;
    devices.swap(devices_);
    // Readers end and every device forgets the controller before any
    // handler runs: an unplug handler may destroy other checked-out devices.
    std::vector<std::weak_ptr<const bool>> lifetimes;
    for (THidDevice* device : devices) {
        device->StopReader();
        device->controller_ = nullptr;
        lifetimes.push_back(device->lifetime_);
    }
    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (lifetimes[i].expired())
            continue;
        if (devices[i]->checkedOut_)
            devices[i]->MarkUnplugged(); // the application still owns it
        else
            delete devices[i];
    }
}

QString THidDeviceController::Version() const
{
    return QStringLiteral("1.0.22");
}

THidDevice* THidDeviceController::DeviceAt(qint32 Idx) const
{
    if (Idx < 0 || Idx >= DeviceCount())
        return nullptr;
    return devices_[std::size_t(Idx)];
}

qint32 THidDeviceController::IndexOf(const THidDevice* device) const
{
    const auto it = std::find(devices_.begin(), devices_.end(), device);
    return it == devices_.end() ? -1 : qint32(it - devices_.begin());
}

std::vector<std::unique_ptr<THidDevice>> THidDeviceController::ListInterfaces()
{
    std::vector<std::unique_ptr<THidDevice>> list;
    if (!platform_.available())
        return list;
    for (const hid::InterfaceEntry& entry : platform_.listInterfaces()) {
        try {
            list.push_back(std::make_unique<THidDevice>(
                platform_, THidPnPInfo{entry.instance, entry.path}, this));
        } catch (const EControllerError&) {
            // An interface that cannot be opened or identified is not listed.
        }
    }
    return list;
}

void THidDeviceController::DeviceChange()
{
    std::vector<std::unique_ptr<THidDevice>> fresh = ListInterfaces();
    bool changed = false;

    // Removals, from the last entry to the first. A checked-out device that
    // is already unplugged never counts as present, so it is reported again
    // at every change until the application checks it in.
    for (qint32 i = DeviceCount() - 1; i >= 0; --i) {
        if (i >= DeviceCount()) {
            // A handler shrank the list; go on from its new end.
            i = DeviceCount();
            continue;
        }
        THidDevice* device = devices_[std::size_t(i)];
        const quint32 instance = device->info_.InstanceHandle;
        const bool present =
            device->pluggedIn_ && std::any_of(fresh.begin(), fresh.end(), [&](const auto& f) {
                return f->info_.InstanceHandle == instance;
            });
        if (present)
            continue;
        changed = true;
        const std::weak_ptr<const bool> lifetime = device->lifetime_;
        device->MarkUnplugged();
        if (lifetime.expired())
            continue;
        if (onRemoval_) {
            InEventScope scope(device->inEvent_, lifetime);
            onRemoval_(device);
        }
        if (lifetime.expired())
            continue;
        const qint32 index = IndexOf(device);
        if (index >= 0 && !device->checkedOut_) {
            devices_.erase(devices_.begin() + index);
            delete device;
        }
    }

    // Duplicates: interfaces still listed as plugged in are dropped from the
    // fresh listing without touching the list. Checked again before each
    // arrival, since an arrival handler may run a nested change.
    auto listed = [this](const THidDevice& fresh) {
        return std::any_of(devices_.begin(), devices_.end(), [&](const THidDevice* d) {
            return d->pluggedIn_ && d->info_.InstanceHandle == fresh.info_.InstanceHandle;
        });
    };
    for (auto& arrival : fresh) {
        if (listed(*arrival)) {
            arrival->controller_ = nullptr;
            arrival.reset();
            continue;
        }
        THidDevice* device = arrival.release();
        devices_.push_back(device);
        changed = true;
        if (onArrival_) {
            InEventScope scope(device->inEvent_, device->lifetime_);
            onArrival_(device);
        }
    }

    if ((changed || !notifiedOnce_) && onDeviceChange_)
        onDeviceChange_(this);
}

qint32 THidDeviceController::EnumerateDevices()
{
    qint32 count = 0;
    for (qint32 i = 0; i < DeviceCount(); ++i) {
        THidDevice* device = devices_[std::size_t(i)];
        if (!device->pluggedIn_)
            continue;
        ++count;
        if (!onEnumerate_)
            break;
        const std::weak_ptr<const bool> lifetime = device->lifetime_;
        bool goOn = false;
        {
            InEventScope scope(device->inEvent_, lifetime);
            goOn = onEnumerate_(device, i);
        }
        if (!lifetime.expired() && !device->checkedOut_) {
            device->CloseMain();
            device->CloseRead();
        }
        if (!goOn)
            break;
    }
    return count;
}

THidDevice* THidDeviceController::CheckOutAt(qint32 Idx)
{
    THidDevice* device = DeviceAt(Idx);
    if (!device || device->checkedOut_)
        return nullptr;
    device->checkedOut_ = true;
    device->StartReader();
    return device;
}

void THidDeviceController::CheckIn(THidDevice* device, const THidDataEvent& onReport,
                                   const THidPlugEvent& onUnplugged)
{
    const qint32 index = IndexOf(device);
    if (index < 0)
        return;
    if (device->pluggedIn_) {
        try {
            auto twin = std::make_unique<THidDevice>(platform_, device->info_, this);
            twin->onReport_ = onReport;
            twin->onUnplugged_ = onUnplugged;
            twin->SetSliceMs(device->sliceMs_);
            devices_[std::size_t(index)] = twin.release();
            return;
        } catch (const EControllerError&) {
            // The interface cannot be opened or identified any more: it leaves
            // the list as if it had been removed.
        }
    }
    devices_.erase(devices_.begin() + index);
}

void THidDeviceController::SetOnDeviceChange(THidNotifyEvent handler)
{
    if (handler == onDeviceChange_)
        return;
    onDeviceChange_ = std::move(handler);
    DeviceChange();
    notifiedOnce_ = true;
}

void THidDeviceController::SetOnDeviceData(THidDataEvent handler)
{
    if (handler == onDeviceData_)
        return;
    for (qint32 i = 0; i < DeviceCount(); ++i) {
        THidDevice* device = devices_[std::size_t(i)];
        if (device->onReport_ == onDeviceData_)
            device->SetOnReport(handler);
    }
    onDeviceData_ = std::move(handler);
}

void THidDeviceController::SetOnDeviceDataError(THidDataErrorEvent handler)
{
    if (handler == onDeviceDataError_)
        return;
    for (THidDevice* device : devices_) {
        if (device->onReportError_ == onDeviceDataError_)
            device->onReportError_ = handler;
    }
    onDeviceDataError_ = std::move(handler);
}

void THidDeviceController::SetOnDeviceUnplug(THidPlugEvent handler)
{
    if (handler == onDeviceUnplug_)
        return;
    for (THidDevice* device : devices_) {
        if (device->onUnplugged_ == onDeviceUnplug_)
            device->onUnplugged_ = handler;
    }
    onDeviceUnplug_ = std::move(handler);
}

void THidDeviceController::SetDevThreadSleepTime(qint32 ms)
{
    if (ms == devThreadSleepTime_)
        return;
    for (THidDevice* device : devices_) {
        if (device->sliceMs_ == devThreadSleepTime_)
            device->SetSliceMs(ms);
    }
    devThreadSleepTime_ = ms;
}
