#pragma once

#include <QSocketNotifier>

#include <functional>
#include <memory>

struct udev;
struct udev_monitor;

namespace hid::hidraw {

// Watches hidraw nodes coming and going. Listens to udev's own events
// (not the kernel's), so an added node already has its access rights set
// when onChange runs. onChange runs in the thread that created the monitor,
// from its event loop, once per batch of add/remove events.
class UdevMonitor {
public:
    // nullptr when udev refuses a monitor (no netlink access).
    static std::unique_ptr<UdevMonitor> create(udev* context, std::function<void()> onChange);
    ~UdevMonitor();
    UdevMonitor(const UdevMonitor&) = delete;
    UdevMonitor& operator=(const UdevMonitor&) = delete;

private:
    UdevMonitor(udev_monitor* monitor, std::function<void()> onChange);
    void drain();

    udev_monitor* monitor_;
    std::function<void()> onChange_;
    QSocketNotifier notifier_;
};

} // namespace hid::hidraw
