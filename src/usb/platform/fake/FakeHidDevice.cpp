#include "usb/platform/fake/FakeHidDevice.h"

namespace hidfake {

FakeHidDevice::FakeHidDevice(quint32 instance, QString path, DeviceProfile profile)
    : instance_(instance), path_(std::move(path)), profile_(std::move(profile))
{
}

bool FakeHidDevice::pluggedIn() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return pluggedIn_;
}

void FakeHidDevice::setPluggedIn(bool pluggedIn)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        pluggedIn_ = pluggedIn;
    }
    changed_.notify_all();
}

void FakeHidDevice::pushReport(std::vector<quint8> report)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (profile_.queueLimit > 0 && reports_.size() >= profile_.queueLimit) {
            ++dropped_;
            return;
        }
        reports_.push_back(std::move(report));
    }
    changed_.notify_all();
}

void FakeHidDevice::failReadStarts(quint32 error, int times)
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (int i = 0; i < times; ++i)
        startErrors_.push_back(error);
}

std::size_t FakeHidDevice::queuedReports() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return reports_.size();
}

std::size_t FakeHidDevice::droppedReports() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return dropped_;
}

std::vector<std::vector<quint8>> FakeHidDevice::features() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return features_;
}

std::vector<std::vector<quint8>> FakeHidDevice::outputs() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return outputs_;
}

void FakeHidDevice::setWritesFail(bool fail)
{
    std::lock_guard<std::mutex> lock(mutex_);
    writesFail_ = fail;
}

void FakeHidDevice::setOutputHook(std::function<void(const std::vector<quint8>&)> hook)
{
    std::lock_guard<std::mutex> lock(mutex_);
    outputHook_ = std::move(hook);
}

int FakeHidDevice::openHandles(hid::Access access) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return open_[int(access)];
}

int FakeHidDevice::readsStarted() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return readsStarted_;
}

bool FakeHidDevice::waitUntilReaderIdle(std::chrono::milliseconds timeout) const
{
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, timeout,
                             [this] { return readOutstanding_ && reports_.empty(); });
}

} // namespace hidfake
