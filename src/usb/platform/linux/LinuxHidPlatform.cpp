#include "usb/platform/linux/LinuxHidPlatform.h"

#include "usb/platform/linux/HidrawHandle.h"
#include "usb/platform/linux/UdevMonitor.h"

#include <QByteArray>

#include <libudev.h>
#include <map>

namespace hid {

namespace {

class LinuxHidPlatform final : public Platform {
public:
    LinuxHidPlatform() : udev_(udev_new()) {}
    ~LinuxHidPlatform() override
    {
        monitor_.reset();
        if (udev_ != nullptr)
            udev_unref(udev_);
    }
    LinuxHidPlatform(const LinuxHidPlatform&) = delete;
    LinuxHidPlatform& operator=(const LinuxHidPlatform&) = delete;

    bool available() const override { return udev_ != nullptr; }

    std::vector<InterfaceEntry> listInterfaces() override
    {
        std::vector<InterfaceEntry> entries;
        if (udev_ == nullptr)
            return entries;
        udev_enumerate* enumeration = udev_enumerate_new(udev_);
        if (enumeration == nullptr)
            return entries;
        if (udev_enumerate_add_match_subsystem(enumeration, "hidraw") >= 0 &&
            udev_enumerate_scan_devices(enumeration) >= 0) {
            udev_list_entry* entry;
            udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumeration))
            {
                const char* syspath = udev_list_entry_get_name(entry);
                udev_device* device = udev_device_new_from_syspath(udev_, syspath);
                if (device == nullptr)
                    continue;
                if (const char* node = udev_device_get_devnode(device))
                    entries.push_back({instanceOf(syspath), QString::fromUtf8(node)});
                udev_device_unref(device);
            }
        }
        udev_enumerate_unref(enumeration);
        return entries;
    }

    std::unique_ptr<Handle> open(const QString& path, Access access) override
    {
        return hidraw::HidrawHandle::open(path, access);
    }

    void setDeviceChangeHandler(std::function<void()> handler) override
    {
        handler_ = std::move(handler);
        // The monitor stays once made: the handler may unsubscribe from
        // inside a notification, which must not delete the notifier that
        // is delivering it.
        if (handler_ && !monitor_ && udev_ != nullptr)
            monitor_ = hidraw::UdevMonitor::create(udev_, [this] {
                if (handler_) {
                    const std::function<void()> handler = handler_;
                    handler();
                }
            });
    }

private:
    // A hidraw node's sysfs path names its HID device, and the kernel gives
    // each new HID device a fresh sequence number (…/0003:VVVV:PPPP.NNNN/
    // hidraw/hidrawM). The path is therefore the same while the device stays
    // plugged in and differs after a re-plug, even when the node number M is
    // reused. The numbers handed out are never taken back, so a device that
    // briefly drops out of one listing keeps its identity.
    quint32 instanceOf(const char* syspath)
    {
        const auto [it, added] = instances_.try_emplace(QByteArray(syspath), nextInstance_);
        if (added)
            ++nextInstance_;
        return it->second;
    }

    udev* udev_;
    std::map<QByteArray, quint32> instances_;
    quint32 nextInstance_ = 1;
    std::function<void()> handler_;
    std::unique_ptr<hidraw::UdevMonitor> monitor_;
};

} // namespace

std::unique_ptr<Platform> makeLinuxHidPlatform()
{
    return std::make_unique<LinuxHidPlatform>();
}

} // namespace hid
