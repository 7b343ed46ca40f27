#include "usb/platform/linux/UdevMonitor.h"

#include <libudev.h>

#include <cstring>

namespace hid::hidraw {

std::unique_ptr<UdevMonitor> UdevMonitor::create(udev* context, std::function<void()> onChange)
{
    udev_monitor* monitor = udev_monitor_new_from_netlink(context, "udev");
    if (monitor == nullptr)
        return nullptr;
    if (udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor) < 0 || udev_monitor_get_fd(monitor) < 0) {
        udev_monitor_unref(monitor);
        return nullptr;
    }
    return std::unique_ptr<UdevMonitor>(new UdevMonitor(monitor, std::move(onChange)));
}

UdevMonitor::UdevMonitor(udev_monitor* monitor, std::function<void()> onChange)
    : monitor_(monitor), onChange_(std::move(onChange)),
      notifier_(udev_monitor_get_fd(monitor), QSocketNotifier::Read)
{
    QObject::connect(&notifier_, &QSocketNotifier::activated, &notifier_, [this] { drain(); });
}

UdevMonitor::~UdevMonitor()
{
    notifier_.setEnabled(false);
    udev_monitor_unref(monitor_);
}

// The socket does not block: take every queued event, then report once.
void UdevMonitor::drain()
{
    bool changed = false;
    while (udev_device* device = udev_monitor_receive_device(monitor_)) {
        const char* action = udev_device_get_action(device);
        if (action != nullptr &&
            (std::strcmp(action, "add") == 0 || std::strcmp(action, "remove") == 0))
            changed = true;
        udev_device_unref(device);
    }
    if (changed && onChange_)
        onChange_();
}

} // namespace hid::hidraw
