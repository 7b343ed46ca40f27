#pragma once

#include "usb/platform/HidPlatform.h"
#include "usb/platform/linux/ReportDescriptor.h"
#include "usb/platform/linux/SysfsHidInfo.h"

#include <memory>

namespace hid::hidraw {

// An open hidraw node, or for a query-only handle just the device's sysfs
// identity.
//
// Query only: the node is opened read/write when the user may; otherwise
// no file is held and every query (ids, report lengths, strings) is
// answered from sysfs, which anyone may read. Feature and output writes
// need the read/write file and fail without it.
class HidrawHandle final : public Handle {
public:
    // Opens the node at path; nullptr when it cannot be opened with that
    // access (or, query only, when it is not a hidraw node sysfs knows).
    static std::unique_ptr<HidrawHandle> open(const QString& path, Access access,
                                              const QString& sysRoot = QStringLiteral("/sys"));

    // Takes over fd (-1: none). writable says whether it was opened for
    // writing. Used by open() and by tests that hand in a socket.
    HidrawHandle(int fd, bool writable, SysfsHidInfo identity);
    ~HidrawHandle() override;
    HidrawHandle(const HidrawHandle&) = delete;
    HidrawHandle& operator=(const HidrawHandle&) = delete;

    bool attributes(Attributes& out) override;
    bool reportLengths(ReportLengths& out) override;
    bool productString(std::u16string& out) override;
    bool serialString(std::u16string& out) override;
    bool indexedString(int index, std::u16string& out) override;

    bool sendFeature(const quint8* data, std::size_t length) override;
    bool writeOutput(const quint8* data, std::size_t length, std::size_t& written) override;

    bool startRead(quint8* buffer, std::size_t length, quint32& error) override;
    ReadWait waitRead(int ms, std::size_t& count) override;
    void cancelRead() override;
    void wake() override;

private:
    ReadWait readReport(std::size_t& count);

    int fd_ = -1;
    bool writable_ = false;
    int wakeFd_ = -1; // eventfd that wake() signals
    SysfsHidInfo identity_;
    ReportDescriptor descriptor_;
    bool descriptorValid_ = false;
    quint8* readBuffer_ = nullptr;
    std::size_t readLength_ = 0;
};

} // namespace hid::hidraw
