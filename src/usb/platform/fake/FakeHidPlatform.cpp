#include "usb/platform/fake/FakeHidPlatform.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace hidfake {

// An open handle of a fake device. Read state lives under the device's mutex
// so that wake() and the device's unplugging reach a waiting reader.
class FakeHidHandle : public hid::Handle {
public:
    FakeHidHandle(std::shared_ptr<FakeHidDevice> device, hid::Access access)
        : device_(std::move(device)), access_(access)
    {
        std::lock_guard<std::mutex> lock(device_->mutex_);
        ++device_->open_[int(access_)];
    }

    ~FakeHidHandle() override
    {
        {
            std::lock_guard<std::mutex> lock(device_->mutex_);
            --device_->open_[int(access_)];
            if (outstanding_)
                device_->readOutstanding_ = false;
        }
        device_->changed_.notify_all();
    }

    bool attributes(hid::Attributes& out) override
    {
        std::lock_guard<std::mutex> lock(device_->mutex_);
        if (!device_->pluggedIn_ || !device_->profile_.identifiable)
            return false;
        out.VendorID = device_->profile_.vendorId;
        out.ProductID = device_->profile_.productId;
        out.VersionNumber = device_->profile_.versionNumber;
        return true;
    }

    bool reportLengths(hid::ReportLengths& out) override
    {
        std::lock_guard<std::mutex> lock(device_->mutex_);
        if (!device_->pluggedIn_ || !device_->profile_.lengthsReadable)
            return false;
        out = device_->profile_.lengths;
        return true;
    }

    bool productString(std::u16string& out) override
    {
        return text(device_->profile_.product, out);
    }
    bool serialString(std::u16string& out) override { return text(device_->profile_.serial, out); }
    bool indexedString(int index, std::u16string& out) override
    {
        return index == 0 && text(device_->profile_.languages, out);
    }

    bool sendFeature(const quint8* data, std::size_t length) override
    {
        std::lock_guard<std::mutex> lock(device_->mutex_);
        if (!writable())
            return false;
        device_->features_.emplace_back(data, data + length);
        return true;
    }

    bool writeOutput(const quint8* data, std::size_t length, std::size_t& written) override
    {
        written = 0;
        std::function<void(const std::vector<quint8>&)> hook;
        {
            std::lock_guard<std::mutex> lock(device_->mutex_);
            if (!writable())
                return false;
            device_->outputs_.emplace_back(data, data + length);
            hook = device_->outputHook_;
        }
        written = length;
        if (hook)
            hook(std::vector<quint8>(data, data + length));
        return true;
    }

    bool startRead(quint8* buffer, std::size_t length, quint32& error) override
    {
        {
            std::lock_guard<std::mutex> lock(device_->mutex_);
            if (!device_->pluggedIn_) {
                error = ErrorDeviceNotConnected;
                return false;
            }
            if (!device_->startErrors_.empty()) {
                error = device_->startErrors_.front();
                device_->startErrors_.pop_front();
                return false;
            }
            buffer_ = buffer;
            length_ = length;
            outstanding_ = true;
            device_->readOutstanding_ = true;
            ++device_->readsStarted_;
        }
        device_->changed_.notify_all();
        return true;
    }

    hid::ReadWait waitRead(int ms, std::size_t& count) override
    {
        count = 0;
        std::unique_lock<std::mutex> lock(device_->mutex_);
        if (!outstanding_)
            return hid::ReadWait::Failed;
        device_->changed_.wait_for(lock, std::chrono::milliseconds(ms), [this] {
            return !device_->reports_.empty() || !device_->pluggedIn_ || woken_;
        });
        if (!device_->reports_.empty()) {
            const std::vector<quint8> report = std::move(device_->reports_.front());
            device_->reports_.pop_front();
            count = std::min(report.size(), length_);
            if (count > 0)
                std::memcpy(buffer_, report.data(), count);
            endRead();
            lock.unlock();
            device_->changed_.notify_all();
            return hid::ReadWait::Completed;
        }
        if (!device_->pluggedIn_) {
            endRead();
            return hid::ReadWait::Failed;
        }
        woken_ = false;
        return hid::ReadWait::TimedOut;
    }

    void cancelRead() override
    {
        std::lock_guard<std::mutex> lock(device_->mutex_);
        endRead();
    }

    void wake() override
    {
        {
            std::lock_guard<std::mutex> lock(device_->mutex_);
            woken_ = true;
        }
        device_->changed_.notify_all();
    }

private:
    // Callers hold the device's mutex.
    void endRead()
    {
        outstanding_ = false;
        device_->readOutstanding_ = false;
    }
    bool writable() const
    {
        return access_ == hid::Access::ReadWrite && device_->pluggedIn_ && !device_->writesFail_;
    }
    bool text(const std::optional<std::u16string>& value, std::u16string& out)
    {
        std::lock_guard<std::mutex> lock(device_->mutex_);
        if (!device_->pluggedIn_ || !value)
            return false;
        out = *value;
        return true;
    }

    const std::shared_ptr<FakeHidDevice> device_;
    const hid::Access access_;
    quint8* buffer_ = nullptr;
    std::size_t length_ = 0;
    bool outstanding_ = false; // guarded by the device's mutex
    bool woken_ = false;       // guarded by the device's mutex
};

std::shared_ptr<FakeHidDevice> FakeHidPlatform::plug(DeviceProfile profile)
{
    std::lock_guard<std::mutex> lock(mutex_);
    const quint32 instance = nextInstance_++;
    auto device = std::make_shared<FakeHidDevice>(
        instance, QStringLiteral("/fake/hid%1").arg(instance), std::move(profile));
    devices_.push_back(device);
    return device;
}

void FakeHidPlatform::unplug(const std::shared_ptr<FakeHidDevice>& device)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        devices_.erase(std::remove(devices_.begin(), devices_.end(), device), devices_.end());
    }
    device->setPluggedIn(false);
}

std::shared_ptr<FakeHidDevice> FakeHidPlatform::replug(const std::shared_ptr<FakeHidDevice>& device)
{
    unplug(device);
    return plug(device->profile());
}

void FakeHidPlatform::fireDeviceChange()
{
    // A copy: the handler may unsubscribe while it runs.
    const std::function<void()> handler = handler_;
    if (handler)
        handler();
}

int FakeHidPlatform::openAttempts() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return openAttempts_;
}

std::vector<hid::InterfaceEntry> FakeHidPlatform::listInterfaces()
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<hid::InterfaceEntry> entries;
    for (const auto& device : devices_)
        entries.push_back({device->instance(), device->path()});
    return entries;
}

std::unique_ptr<hid::Handle> FakeHidPlatform::open(const QString& path, hid::Access access)
{
    std::shared_ptr<FakeHidDevice> device;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++openAttempts_;
        for (const auto& d : devices_) {
            if (d->path() == path)
                device = d;
        }
    }
    if (!device || !device->pluggedIn())
        return nullptr;
    switch (device->profile().openable) {
    case Openable::Fully: break;
    case Openable::QueryOnly:
        if (access != hid::Access::QueryOnly)
            return nullptr;
        break;
    case Openable::Never: return nullptr;
    }
    return std::make_unique<FakeHidHandle>(device, access);
}

void FakeHidPlatform::setDeviceChangeHandler(std::function<void()> handler)
{
    handler_ = std::move(handler);
}

} // namespace hidfake
