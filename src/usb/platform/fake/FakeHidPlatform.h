#pragma once

#include "usb/platform/HidPlatform.h"
#include "usb/platform/fake/FakeHidDevice.h"

#include <memory>
#include <mutex>
#include <vector>

namespace hidfake {

// A hid::Platform whose devices are scripted by the test: plug and unplug
// them at any moment, then fireDeviceChange() to deliver the notification
// the way the system would (on the calling thread, which should be the GUI
// thread). Devices list in the order they were plugged; each plug gets a new
// instance number and path, so a re-plug is a different device.
class FakeHidPlatform : public hid::Platform {
public:
    std::shared_ptr<FakeHidDevice> plug(DeviceProfile profile = {});
    void unplug(const std::shared_ptr<FakeHidDevice>& device);
    // Unplugs the device and plugs a new one with the same answers.
    std::shared_ptr<FakeHidDevice> replug(const std::shared_ptr<FakeHidDevice>& device);
    void fireDeviceChange();
    bool hasDeviceChangeHandler() const { return bool(handler_); }
    void setAvailable(bool available) { available_ = available; }
    // Opening attempts so far (successful or not), for "nothing opened" checks.
    int openAttempts() const;

    bool available() const override { return available_; }
    std::vector<hid::InterfaceEntry> listInterfaces() override;
    std::unique_ptr<hid::Handle> open(const QString& path, hid::Access access) override;
    void setDeviceChangeHandler(std::function<void()> handler) override;

private:
    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<FakeHidDevice>> devices_; // plugged in
    quint32 nextInstance_ = 1;
    int openAttempts_ = 0;
    bool available_ = true;
    std::function<void()> handler_;
};

} // namespace hidfake
