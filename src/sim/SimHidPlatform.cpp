#include "sim/SimHidPlatform.h"

#include "sim/SimCable.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

namespace {
constexpr quint32 kNoSuchDevice = 19; // ENODEV: the device was unplugged
} // namespace

struct SimHidPlatform::Device {
    quint32 instance = 0;
    QString path;
    std::u16string product;
    std::u16string serial;
    quint16 vendorId = 0;
    quint16 productId = 0;
    bool isCable = false;
    bool plugged = true;
};

// Everything the platform and its handles share, guarded by one mutex; the
// condition variable wakes a waiting read when a handle is woken or a device
// goes away.
struct SimHidPlatform::Shared {
    Shared(std::unique_ptr<MeterMessages> meter, std::unique_ptr<SimClock> c)
        : cable(std::move(meter)), clock(std::move(c))
    {
    }
    // Lock held. Brings the cable's reports up to nowUs.
    void runCable(qint64 nowUs) { cable.runUntil(nowUs, readQueues); }

    std::mutex mutex;
    std::condition_variable changed;
    SimCable cable;
    std::unique_ptr<SimClock> clock;
    // One queue per open read handle of the cable.
    std::vector<SimCable::ReportQueue*> readQueues;
    std::vector<std::shared_ptr<Device>> devices; // plugged in, in plug order
    quint32 lastInstance = 0;
    std::function<void()> changeHandler;
};

namespace {

using Device = SimHidPlatform::Device;
using Shared = SimHidPlatform::Shared;

class SimHandle final : public hid::Handle {
public:
    // Lock held.
    SimHandle(std::shared_ptr<Shared> shared, std::shared_ptr<Device> device, hid::Access access)
        : shared_(std::move(shared)), device_(std::move(device)), access_(access)
    {
        if (device_->isCable && access_ == hid::Access::Read) {
            // Reports queue from the moment the handle is open, not before.
            shared_->runCable(shared_->clock->nowUs());
            shared_->readQueues.push_back(&queue_);
        }
    }

    ~SimHandle() override
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        auto& queues = shared_->readQueues;
        const auto mine = std::find(queues.begin(), queues.end(), &queue_);
        if (mine != queues.end())
            queues.erase(mine);
    }

    bool attributes(hid::Attributes& out) override
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        if (!device_->plugged)
            return false;
        out.VendorID = device_->vendorId;
        out.ProductID = device_->productId;
        out.VersionNumber = 0x0100;
        return true;
    }

    bool reportLengths(hid::ReportLengths& out) override
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        if (!device_->plugged)
            return false;
        if (device_->isCable) {
            out.input = SimCable::kReportLength;
            out.output = SimCable::kReportLength;
            out.feature = SimCable::kFeatureLength;
        } else {
            out = hid::ReportLengths{};
        }
        return true;
    }

    bool productString(std::u16string& out) override
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        out = device_->product;
        return device_->plugged && !out.empty();
    }

    bool serialString(std::u16string& out) override
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        out = device_->serial;
        return device_->plugged && !out.empty();
    }

    bool indexedString(int index, std::u16string& out) override
    {
        if (index != 0)
            return false;
        out.assign(1, char16_t(0x0409)); // US English
        return true;
    }

    bool sendFeature(const quint8* data, std::size_t length) override
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        if (!writable())
            return false;
        shared_->runCable(shared_->clock->nowUs());
        return shared_->cable.setFeature(data, length);
    }

    bool writeOutput(const quint8* data, std::size_t length, std::size_t& written) override
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        written = 0;
        if (!writable())
            return false;
        const qint64 now = shared_->clock->nowUs();
        shared_->runCable(now);
        if (!shared_->cable.write(data, length, now))
            return false;
        written = length;
        return true;
    }

    bool startRead(quint8* buffer, std::size_t length, quint32& error) override
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        if (!device_->plugged) {
            error = kNoSuchDevice;
            return false;
        }
        buffer_ = buffer;
        length_ = length;
        return true;
    }

    hid::ReadWait waitRead(int ms, std::size_t& count) override
    {
        std::unique_lock<std::mutex> lock(shared_->mutex);
        count = 0;
        const auto interrupted = [this] { return woken_ || !device_->plugged; };
        if (!buffer_ || !device_->isCable || access_ != hid::Access::Read) {
            shared_->changed.wait_for(lock, std::chrono::milliseconds(ms), interrupted);
            return finishWait();
        }
        SimClock& clock = *shared_->clock;
        const qint64 deadline = clock.nowUs() + qint64(ms) * 1000;
        for (;;) {
            if (interrupted())
                return finishWait();
            const qint64 now = clock.nowUs();
            shared_->runCable(now);
            SimCable::Report report;
            if (queue_.pop(report)) {
                count = std::min(length_, report.size());
                std::memcpy(buffer_, report.data(), count);
                buffer_ = nullptr;
                return hid::ReadWait::Completed;
            }
            if (now >= deadline)
                return hid::ReadWait::TimedOut;
            clock.waitUntil(lock, shared_->changed,
                            std::min(shared_->cable.nextReportUs(), deadline), interrupted);
        }
    }

    void cancelRead() override
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        buffer_ = nullptr;
    }

    void wake() override
    {
        {
            std::lock_guard<std::mutex> lock(shared_->mutex);
            woken_ = true;
        }
        shared_->changed.notify_all();
    }

private:
    bool writable() const
    {
        return device_->plugged && device_->isCable && access_ == hid::Access::ReadWrite;
    }
    // Lock held. A wake is used up by the wait it ends.
    hid::ReadWait finishWait()
    {
        if (!device_->plugged)
            return hid::ReadWait::Failed;
        woken_ = false;
        return hid::ReadWait::TimedOut;
    }

    std::shared_ptr<Shared> shared_;
    std::shared_ptr<Device> device_;
    hid::Access access_;
    quint8* buffer_ = nullptr; // the outstanding read, guarded by the mutex
    std::size_t length_ = 0;
    SimCable::ReportQueue queue_; // the cable's reports not yet read
    bool woken_ = false;
};

} // namespace

SimHidPlatform::SimHidPlatform(std::unique_ptr<MeterMessages> meter,
                               std::unique_ptr<SimClock> clock)
    : shared_(std::make_shared<Shared>(std::move(meter), std::move(clock)))
{
    plugCable();
}

SimHidPlatform::~SimHidPlatform()
{
    std::lock_guard<std::mutex> lock(shared_->mutex);
    for (const auto& device : shared_->devices)
        device->plugged = false;
    shared_->changed.notify_all();
}

std::vector<hid::InterfaceEntry> SimHidPlatform::listInterfaces()
{
    std::lock_guard<std::mutex> lock(shared_->mutex);
    std::vector<hid::InterfaceEntry> entries;
    for (const auto& device : shared_->devices)
        entries.push_back({device->instance, device->path});
    return entries;
}

std::unique_ptr<hid::Handle> SimHidPlatform::open(const QString& path, hid::Access access)
{
    std::lock_guard<std::mutex> lock(shared_->mutex);
    for (const auto& device : shared_->devices) {
        if (device->path == path)
            return std::make_unique<SimHandle>(shared_, device, access);
    }
    return nullptr;
}

void SimHidPlatform::setDeviceChangeHandler(std::function<void()> handler)
{
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->changeHandler = std::move(handler);
}

quint32 SimHidPlatform::plugDevice(const QString& product, quint16 vendorId, quint16 productId,
                                   const QString& serial)
{
    auto device = std::make_shared<Device>();
    device->product = product.toStdU16String();
    device->serial = serial.toStdU16String();
    device->vendorId = vendorId;
    device->productId = productId;
    return plug(std::move(device), QStringLiteral("sim:device-%1"));
}

quint32 SimHidPlatform::plugCable()
{
    auto device = std::make_shared<Device>();
    device->product = u"USB to Serial";
    device->vendorId = kCableVendorId;
    device->productId = kCableProductId;
    device->isCable = true;
    return plug(std::move(device), QStringLiteral("sim:cable-%1"));
}

// Gives the device its identity and path and lists it.
quint32 SimHidPlatform::plug(std::shared_ptr<Device> device, const QString& pathPattern)
{
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        device->instance = ++shared_->lastInstance;
        device->path = pathPattern.arg(device->instance);
        shared_->devices.push_back(device);
    }
    deviceSetChanged();
    return device->instance;
}

void SimHidPlatform::unplug(quint32 instance)
{
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        auto& devices = shared_->devices;
        for (auto it = devices.begin(); it != devices.end(); ++it) {
            if ((*it)->instance == instance) {
                (*it)->plugged = false;
                devices.erase(it);
                break;
            }
        }
    }
    shared_->changed.notify_all();
    deviceSetChanged();
}

quint32 SimHidPlatform::cableInstance() const
{
    std::lock_guard<std::mutex> lock(shared_->mutex);
    for (const auto& device : shared_->devices) {
        if (device->isCable)
            return device->instance;
    }
    return 0;
}

std::vector<quint8> SimHidPlatform::meterBytesReceived() const
{
    std::lock_guard<std::mutex> lock(shared_->mutex);
    return shared_->cable.meter().received();
}

quint32 SimHidPlatform::cableBaudRate() const
{
    std::lock_guard<std::mutex> lock(shared_->mutex);
    return shared_->cable.baudRate();
}

qint64 SimHidPlatform::clockUs() const
{
    return shared_->clock->nowUs();
}

void SimHidPlatform::deviceSetChanged()
{
    std::function<void()> handler;
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        handler = shared_->changeHandler;
    }
    if (handler)
        handler();
}
