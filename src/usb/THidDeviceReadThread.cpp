#include "usb/THidDeviceReadThread.h"

#include "usb/THidDevice.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>
#include <chrono>
#include <cstring>

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
                                           std::size_t reportLength, qint32 sliceMs,
                                           std::size_t queueCapacity)
    : Device(device), Report(reportLength, 0), delivered_(reportLength, 0),
      handle_(std::move(handle)), capacity_(std::max<std::size_t>(queueCapacity, 1)),
      entries_(capacity_), slots_(capacity_ * reportLength, 0), sliceMs_(sliceMs)
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
        count_ = 0; // what was read and not handed over is discarded
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

quint64 THidDeviceReadThread::ReportsLost() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return lost_;
}

std::size_t THidDeviceReadThread::QueuedReports() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return count_;
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
            Enqueue(nullptr, 0, handle ? error : ErrorNoHandle);
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
        const std::size_t bytesRead = std::min(count, Report.size());
        if (bytesRead > 0)
            Enqueue(Report.data(), bytesRead, 0);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
}

void THidDeviceReadThread::Enqueue(const quint8* report, std::size_t size, quint32 error)
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (terminate_)
        return;
    const bool caughtUp = count_ == 0 && !serving_;
    if (count_ == capacity_) {
        // Full: the oldest entry makes room, and the loss is counted.
        head_ = (head_ + 1) % capacity_;
        --count_;
        ++lost_;
    }
    const std::size_t tail = (head_ + count_) % capacity_;
    entries_[tail] = Entry{size, error};
    if (size > 0)
        std::memcpy(slots_.data() + tail * Report.size(), report, size);
    ++count_;
    if (!posted_ && !serving_)
        PostServe();
    // While the window keeps up, the handler takes each report before the
    // next is read, as it always did; a device that makes its reports when
    // asked (the simulator on its test clock) is then not run ahead. Once a
    // report has waited HandOverWaitMs, well inside the time the system's
    // queue lasts, the reader reads on until the window has caught up.
    if (caughtUp)
        changed_.wait_for(lock, std::chrono::milliseconds(HandOverWaitMs),
                          [this] { return terminate_ || (count_ == 0 && !serving_); });
}

void THidDeviceReadThread::PostServe()
{
    posted_ = true;
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

void THidDeviceReadThread::PauseOneSlice()
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(sliceMs_), [this] { return terminate_; });
}

void THidDeviceReadThread::Serve()
{
    Entry entry;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        posted_ = false;
        // A handler that runs an event loop of its own gets no second entry
        // before it returns; the outer call posts the next one then.
        if (serving_ || terminate_ || count_ == 0)
            return;
        entry = entries_[head_];
        if (entry.size > 0)
            std::memcpy(delivered_.data(), slots_.data() + head_ * Report.size(), entry.size);
        head_ = (head_ + 1) % capacity_;
        --count_;
        serving_ = true;
    }
    // The device is alive here: destroying it stops the reader, which
    // discards the queue, and a stopped reader serves nothing.
    bool failed = false;
    try {
        if (entry.size > 0) {
            THidDataEvent handler = Device->OnReport();
            if (handler)
                handler(Device, delivered_[0], delivered_.data() + 1, quint16(entry.size - 1));
        } else {
            THidDataErrorEvent handler = Device->OnReportError();
            if (handler)
                handler(Device, entry.error);
        }
    } catch (...) {
        // A failing handler ends the reader without notice; the device keeps
        // it (finished) until the application clears OnReport.
        failed = true;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        serving_ = false;
        if (failed) {
            terminate_ = true;
            count_ = 0;
            if (handle_)
                handle_->wake();
        } else if (!terminate_ && count_ > 0 && !posted_) {
            PostServe();
        }
    }
    changed_.notify_all();
}
