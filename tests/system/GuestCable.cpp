#include "GuestCable.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/uhid.h>
#include <poll.h>
#include <unistd.h>

namespace guest {

namespace {

const char* const kUdcFile = "/sys/kernel/config/usb_gadget/cable/UDC";
const QString kLog = QStringLiteral("/run/cable.log");

// The emulated cable's report layout: 8 bytes in, 8 out, 9 feature, unnumbered.
const unsigned char kDescriptor[] = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00,
                                     0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x08, 0x09, 0x01,
                                     0x81, 0x02, 0x95, 0x08, 0x09, 0x01, 0x91, 0x02, 0x95,
                                     0x09, 0x09, 0x01, 0xB1, 0x02, 0xC0};

// A hidraw node whose HID device's sysfs path contains `where`.
bool nodePresent(const QString& where)
{
    const QDir dir(QStringLiteral("/sys/class/hidraw"));
    for (const QString& node : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString target =
            QFileInfo(dir.filePath(node) + QStringLiteral("/device")).canonicalFilePath();
        if (target.contains(where) && QFile::exists(QStringLiteral("/dev/") + node))
            return true;
    }
    return false;
}

// On the USB gadget's bus.
bool gadgetNodePresent()
{
    return nodePresent(QStringLiteral("dummy_hcd"));
}

} // namespace

QStringList cableLog()
{
    QFile file(kLog);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool plugCable(bool plugged)
{
    if (gadgetNodePresent() != plugged) {
        QFile udc(QString::fromLatin1(kUdcFile));
        if (!udc.open(QIODevice::WriteOnly))
            return false;
        udc.write(plugged ? "dummy_udc.0\n" : "\n");
        udc.close();
    }
    QDeadlineTimer limit(30000);
    while (gadgetNodePresent() != plugged) {
        if (limit.hasExpired())
            return false;
        ::usleep(20000);
    }
    // udevd's workers for the device's other nodes would otherwise still
    // compete for the machine's two processors when the test goes on.
    return std::system("udevadm settle --timeout=30") == 0;
}

FailingCable::FailingCable()
{
    fd_ = ::open("/dev/uhid", O_RDWR | O_CLOEXEC);
    if (fd_ < 0)
        return;
    uhid_event create{};
    create.type = UHID_CREATE2;
    std::strcpy(reinterpret_cast<char*>(create.u.create2.name), "USB to Serial");
    create.u.create2.rd_size = sizeof kDescriptor;
    create.u.create2.bus = 0x06; // BUS_VIRTUAL
    create.u.create2.vendor = 0x1234;
    create.u.create2.product = 0x5679;
    std::memcpy(create.u.create2.rd_data, kDescriptor, sizeof kDescriptor);
    if (::write(fd_, &create, sizeof create) != ssize_t(sizeof create)) {
        ::close(fd_);
        fd_ = -1;
        return;
    }
    thread_ = std::thread(&FailingCable::serve, this);
}

FailingCable::~FailingCable()
{
    running_ = false;
    if (thread_.joinable())
        thread_.join();
    if (fd_ >= 0) {
        uhid_event destroy{};
        destroy.type = UHID_DESTROY;
        [[maybe_unused]] const ssize_t n = ::write(fd_, &destroy, sizeof destroy);
        ::close(fd_);
        // Gone before the next test lists the devices.
        QDeadlineTimer limit(30000);
        while (nodePresent(QStringLiteral("/uhid/")) && !limit.hasExpired())
            ::usleep(20000);
    }
}

std::vector<std::vector<unsigned char>> FailingCable::outputs() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return outputs_;
}

void FailingCable::serve()
{
    while (running_) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        uhid_event event{};
        if (::read(fd_, &event, sizeof event) <= 0)
            continue;
        uhid_event reply{};
        switch (event.type) {
        case UHID_SET_REPORT:
            reply.type = UHID_SET_REPORT_REPLY;
            reply.u.set_report_reply.id = event.u.set_report.id;
            reply.u.set_report_reply.err = EIO;
            ++refused_;
            break;
        case UHID_GET_REPORT:
            reply.type = UHID_GET_REPORT_REPLY;
            reply.u.get_report_reply.id = event.u.get_report.id;
            reply.u.get_report_reply.err = EIO;
            break;
        case UHID_OUTPUT: {
            const auto& out = event.u.output;
            // Unnumbered reports arrive with a 0 in front.
            std::vector<unsigned char> bytes(out.data + 1, out.data + out.size);
            std::lock_guard<std::mutex> lock(mutex_);
            outputs_.push_back(std::move(bytes));
            continue;
        }
        default: continue;
        }
        [[maybe_unused]] const ssize_t n = ::write(fd_, &reply, sizeof reply);
    }
}

} // namespace guest
