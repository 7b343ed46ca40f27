#include "usb/platform/linux/LinuxHidPlatform.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// Runs against the machine's own hidraw devices; without any there is
// nothing to check.
TEST(LinuxHidPlatformOnThisMachine, ListsHidrawNodesWithStableIdentities)
{
    auto platform = hid::makeLinuxHidPlatform();
    ASSERT_TRUE(platform->available());
    const std::vector<hid::InterfaceEntry> first = platform->listInterfaces();
    if (first.empty())
        GTEST_SKIP() << "no hidraw devices on this machine";

    const std::vector<hid::InterfaceEntry> second = platform->listInterfaces();
    std::set<quint32> identities;
    for (const hid::InterfaceEntry& entry : first) {
        EXPECT_TRUE(entry.path.startsWith(QStringLiteral("/dev/hidraw")))
            << entry.path.toStdString();
        EXPECT_TRUE(identities.insert(entry.instance).second) << "identity used twice";
        bool sameAgain = false;
        for (const hid::InterfaceEntry& again : second)
            sameAgain |= again.path == entry.path && again.instance == entry.instance;
        EXPECT_TRUE(sameAgain) << entry.path.toStdString();

        auto handle = platform->open(entry.path, hid::Access::QueryOnly);
        ASSERT_NE(handle, nullptr) << entry.path.toStdString();
        hid::Attributes attributes;
        EXPECT_TRUE(handle->attributes(attributes));
    }
}

} // namespace
