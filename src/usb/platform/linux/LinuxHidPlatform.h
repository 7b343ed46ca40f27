#pragma once

#include "usb/platform/HidPlatform.h"

#include <memory>

namespace hid {

// HID access through the kernel's hidraw nodes, listed and watched with
// libudev. Create it on the GUI thread: device-change handlers run there.
std::unique_ptr<Platform> makeLinuxHidPlatform();

} // namespace hid
