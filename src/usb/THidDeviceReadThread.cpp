#include "usb/THidDeviceReadThread.h"

#include "usb/THidDevice.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>
#include <chrono>

namespace {

// Qt's event queue runs a queued call only after it was posted, but its
// internal locks are invisible to thread checkers. Posting and the first
// look at the posted call both take this lock, which makes that order
// explicit without changing it.
std::mutex& postGate()
{
    static std::mutex gate;
    return gate;
}

} // namespace

THidDeviceReadThread::THidDeviceReadThread(THidDevice* device, std::unique_ptr<hid::Handle> handle,
                                           std::size_t reportLength, qint32 sliceMs)
    : Device(device), Report(reportLength, 0), handle_(std::move(handle)), sliceMs_(sliceMs)
{
}

THidDeviceReadThread::~THidDeviceReadThread()
{
    Terminate();
}

void THidDeviceReadThread::Start()
{
    thread_ = std::thread(&THidDeviceReadThread::Execute, this);
}

void THidDeviceReadThread::Terminate()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        terminate_ = true;
        pending_ = Delivery::None; // a delivery not yet begun is discarded
        if (handle_)
            handle_->wake();
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void THidDeviceReadThread::SetSliceMs(qint32 ms)
{
    std::lock_guard<std::mutex> lock(mutex_);
    sliceMs_ = ms;
}

void THidDeviceReadThread::DropHandle()
{
    std::lock_guard<std::mutex> lock(mutex_);
    unplugged_ = true;
    if (handle_)
        handle_->wake();
}

bool THidDeviceReadThread::Finished() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return finished_;
}

void THidDeviceReadThread::Execute()
{
    for (;;) {
        hid::Handle* handle = nullptr;
        qint32 slice = 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (terminate_)
                break;
            if (unplugged_)
                handle_.reset();
            handle = handle_.get();
            slice = sliceMs_;
        }

        std::fill(Report.begin(), Report.end(), quint8(0));
        quint32 error = 0;
        if (!handle || !handle->startRead(Report.data(), Report.size(), error)) {
            LastError = handle ? error : ErrorNoHandle;
            if (!HandOver(Delivery::Error))
                break;
            // The device will not read again before the application reacts;
            // retrying at once would only spin.
            PauseOneSlice();
            continue;
        }

        std::size_t count = 0;
        hid::ReadWait result = hid::ReadWait::TimedOut;
        for (;;) {
            result = handle->waitRead(slice, count);
            if (result != hid::ReadWait::TimedOut)
                break;
            std::lock_guard<std::mutex> lock(mutex_);
            if (terminate_ || unplugged_)
                break;
            slice = sliceMs_;
        }
        if (result == hid::ReadWait::TimedOut) {
            // Leaving on request with the read still outstanding.
            handle->cancelRead();
            continue;
        }
        if (result == hid::ReadWait::Failed) {
            // A failed read carries no report; the next one will most likely
            // fail to start and be reported then.
            PauseOneSlice();
            continue;
        }
        BytesRead = std::min(count, Report.size());
        if (BytesRead > 0 && !HandOver(Delivery::Report))
            break;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
}

bool THidDeviceReadThread::HandOver(Delivery delivery)
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (terminate_)
        return false;
    pending_ = delivery;
    {
        std::lock_guard<std::mutex> gate(postGate());
        std::weak_ptr<THidDeviceReadThread> weak = weak_from_this();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [weak] {
                std::shared_ptr<THidDeviceReadThread> self;
                {
                    std::lock_guard<std::mutex> gate(postGate());
                    self = weak.lock();
                }
                if (self)
                    self->Serve();
            },
            Qt::QueuedConnection);
    }
    changed_.wait(lock, [this] { return terminate_ || (pending_ == Delivery::None && !serving_); });
    return !terminate_;
}

void THidDeviceReadThread::PauseOneSlice()
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(sliceMs_), [this] { return terminate_; });
}

void THidDeviceReadThread::Serve()
{
    Delivery delivery = Delivery::None;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        delivery = pending_;
        if (delivery == Delivery::None || terminate_)
            return;
        pending_ = Delivery::None;
        serving_ = true;
    }
    // Nothing of this thread is touched while the handler runs except the
    // report buffer, which the reader leaves alone until the slot is free.
    // The device is alive here: destroying it stops the reader, which
    // discards a delivery that has not begun.
    bool failed = false;
    try {
        if (delivery == Delivery::Report) {
            THidDataEvent handler = Device->OnReport();
            if (handler)
                handler(Device, Report[0], Report.data() + 1, quint16(BytesRead - 1));
        } else {
            THidDataErrorEvent handler = Device->OnReportError();
            if (handler)
                handler(Device, LastError);
        }
    } catch (...) {
        // A failing handler ends the reader without notice; the device keeps
        // it (finished) until the application clears OnReport.
        failed = true;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        serving_ = false;
        if (failed)
            terminate_ = true;
    }
    changed_.notify_all();
}
