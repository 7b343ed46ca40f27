#include "usb/platform/linux/HidrawHandle.h"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

namespace hid::hidraw {

namespace {

// The size field of an ioctl number holds 14 bits.
constexpr std::size_t kMaxIoctlLength = (1u << 14) - 1;

int openNode(const QString& path, int flags)
{
    const QByteArray name = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(name.constData(), flags | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// The sysfs identity of the character device behind fd (or path when fd is
// -1); false when it is not a character device sysfs knows as HID.
bool identityOf(int fd, const QString& path, const QString& sysRoot, SysfsHidInfo& out)
{
    struct stat st {};
    const int r = fd >= 0 ? ::fstat(fd, &st) : ::stat(QFile::encodeName(path).constData(), &st);
    if (r != 0 || !S_ISCHR(st.st_mode))
        return false;
    const QString dir = SysfsHidInfo::hidDeviceDirOf(sysRoot, major(st.st_rdev), minor(st.st_rdev));
    return !dir.isEmpty() && SysfsHidInfo::read(dir, out);
}

bool readDescriptorFromNode(int fd, QByteArray& out)
{
    int size = 0;
    if (::ioctl(fd, HIDIOCGRDESCSIZE, &size) < 0 || size <= 0 || size > HID_MAX_DESCRIPTOR_SIZE)
        return false;
    auto descriptor = std::make_unique<hidraw_report_descriptor>();
    descriptor->size = quint32(size);
    if (::ioctl(fd, HIDIOCGRDESC, descriptor.get()) < 0)
        return false;
    out = QByteArray(reinterpret_cast<const char*>(descriptor->value), size);
    return true;
}

} // namespace

std::unique_ptr<HidrawHandle> HidrawHandle::open(const QString& path, Access access,
                                                 const QString& sysRoot)
{
    int fd = -1;
    bool writable = false;
    switch (access) {
    case Access::ReadWrite:
        fd = openNode(path, O_RDWR);
        if (fd < 0)
            return nullptr;
        writable = true;
        break;
    case Access::QueryOnly:
        fd = openNode(path, O_RDWR);
        writable = fd >= 0;
        break;
    case Access::Read:
        fd = openNode(path, O_RDONLY | O_NONBLOCK);
        if (fd < 0)
            return nullptr;
        break;
    }
    SysfsHidInfo identity;
    const bool known = identityOf(fd, path, sysRoot, identity);
    if (fd < 0 && !known)
        return nullptr;
    return std::make_unique<HidrawHandle>(fd, writable, std::move(identity));
}

HidrawHandle::HidrawHandle(int fd, bool writable, SysfsHidInfo identity)
    : fd_(fd), writable_(writable && fd >= 0), identity_(std::move(identity))
{
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    // Read once here, so the read thread and the GUI thread never race on it.
    QByteArray bytes;
    if (fd_ < 0 || !readDescriptorFromNode(fd_, bytes))
        bytes = identity_.reportDescriptor;
    descriptorValid_ = !bytes.isEmpty() &&
                       ReportDescriptor::parse(reinterpret_cast<const quint8*>(bytes.constData()),
                                               std::size_t(bytes.size()), descriptor_);
}

HidrawHandle::~HidrawHandle()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
}

bool HidrawHandle::attributes(Attributes& out)
{
    hidraw_devinfo info{};
    if (fd_ >= 0 && ::ioctl(fd_, HIDIOCGRAWINFO, &info) == 0) {
        out.VendorID = quint16(info.vendor);
        out.ProductID = quint16(info.product);
    } else if (identity_.valid) {
        out.VendorID = identity_.vendorId;
        out.ProductID = identity_.productId;
    } else {
        return false;
    }
    out.VersionNumber = identity_.versionNumber;
    return true;
}

bool HidrawHandle::reportLengths(ReportLengths& out)
{
    if (!descriptorValid_)
        return false;
    out = descriptor_.lengths;
    return true;
}

bool HidrawHandle::productString(std::u16string& out)
{
    if (!identity_.product)
        return false;
    out = toDeviceString(*identity_.product);
    return true;
}

bool HidrawHandle::serialString(std::u16string& out)
{
    if (!identity_.serial)
        return false;
    out = toDeviceString(*identity_.serial);
    return true;
}

bool HidrawHandle::indexedString(int index, std::u16string& out)
{
    // hidraw gives no access to string descriptors, so the language list
    // cannot be read. The device classes drop a serial number that repeats
    // the language list and every serial when the list is unreadable or
    // empty; answering with the one language US English (0x0409) hides only
    // a serial number starting with U+0409, which real ones do not.
    if (index != 0)
        return false;
    out = std::u16string(1, char16_t(0x0409));
    return true;
}

bool HidrawHandle::sendFeature(const quint8* data, std::size_t length)
{
    if (!writable_ || data == nullptr || length == 0 || length > kMaxIoctlLength)
        return false;
    std::vector<quint8> report(data, data + length); // the ioctl takes a mutable buffer
    int r;
    do {
        r = ::ioctl(fd_, HIDIOCSFEATURE(length), report.data());
    } while (r < 0 && errno == EINTR);
    return r >= 0;
}

bool HidrawHandle::writeOutput(const quint8* data, std::size_t length, std::size_t& written)
{
    written = 0;
    if (!writable_ || data == nullptr || length == 0)
        return false;
    ssize_t n;
    do {
        n = ::write(fd_, data, length);
    } while (n < 0 && errno == EINTR);
    if (n < 0)
        return false;
    written = std::size_t(n);
    return true;
}

bool HidrawHandle::startRead(quint8* buffer, std::size_t length, quint32& error)
{
    if (fd_ < 0) {
        error = EBADF;
        return false;
    }
    if (buffer == nullptr || length == 0) {
        error = EINVAL;
        return false;
    }
    // A node whose device is gone reports only hang-up (queued reports
    // would still read): refuse the read at once, as a vanished device does
    // elsewhere, so the caller learns about it before waiting.
    pollfd node{fd_, POLLIN, 0};
    if (::poll(&node, 1, 0) == 1 && !(node.revents & POLLIN) &&
        (node.revents & (POLLERR | POLLHUP | POLLNVAL))) {
        error = ENODEV;
        return false;
    }
    readBuffer_ = buffer;
    readLength_ = length;
    return true;
}

ReadWait HidrawHandle::waitRead(int ms, std::size_t& count)
{
    using Clock = std::chrono::steady_clock;
    count = 0;
    pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {readBuffer_ ? fd_ : -1, POLLIN, 0}};
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(qMax(ms, 0));
    int r;
    for (;;) {
        int left = ms;
        if (ms > 0) {
            const auto rest = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            left = int(qMax<qint64>(rest.count(), 0));
        }
        r = ::poll(fds, 2, left);
        if (r >= 0 || errno != EINTR)
            break;
    }
    if (r < 0)
        return ReadWait::Failed;
    if (fds[0].revents & POLLIN) {
        quint64 wakes = 0;
        [[maybe_unused]] const ssize_t drained = ::read(wakeFd_, &wakes, sizeof wakes);
        return ReadWait::TimedOut;
    }
    if (fds[1].revents & POLLIN)
        return readReport(count);
    if (fds[1].revents & (POLLERR | POLLHUP | POLLNVAL))
        return ReadWait::Failed;
    return ReadWait::TimedOut;
}

// hidraw returns one report per read: numbered reports with their ID in
// byte 0, unnumbered ones without it. Callers always get byte 0 = report
// ID, so an unnumbered report is placed after a 0 byte.
//
//   numbered     buffer: [ID][data ...]        count = bytes read
//   unnumbered   buffer: [0x00][data ...]      count = bytes read + 1
ReadWait HidrawHandle::readReport(std::size_t& count)
{
    const bool numbered = descriptorValid_ && descriptor_.numbered;
    quint8* target = numbered ? readBuffer_ : readBuffer_ + 1;
    const std::size_t room = numbered ? readLength_ : readLength_ - 1;
    ssize_t n;
    do {
        n = ::read(fd_, target, room);
    } while (n < 0 && errno == EINTR);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        return ReadWait::TimedOut; // someone else took it; the read stays outstanding
    // End of file or an error (ENODEV, EIO after unplug): the device is gone.
    if (n < 0 || (n == 0 && room > 0)) {
        readBuffer_ = nullptr;
        return ReadWait::Failed;
    }
    if (!numbered)
        readBuffer_[0] = 0;
    count = std::size_t(n) + (numbered ? 0 : 1);
    readBuffer_ = nullptr;
    return ReadWait::Completed;
}

void HidrawHandle::cancelRead()
{
    readBuffer_ = nullptr;
    readLength_ = 0;
}

void HidrawHandle::wake()
{
    if (wakeFd_ < 0)
        return;
    const quint64 one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);
}

} // namespace hid::hidraw
