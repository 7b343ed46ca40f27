#pragma once

#include "usb/platform/HidPlatform.h"

#include <QtGlobal>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class THidDevice;

// The read thread of one device. It issues one input-report read at a time
// on its own handle and waits for it in slices of SliceMs. After a read that
// cannot be issued or fails it waits one slice before the next attempt, so a
// vanished device does not make it spin.
//
// Hand-over, the only place where the two threads meet: every completed
// report (and every read that cannot be issued) goes into a bounded queue of
// the reader's own under `mutex_`. While the GUI thread keeps up, the reader
// waits for each report to be handled before it reads the next; once one
// has waited HandOverWaitMs it reads on without waiting until the queue is
// empty again, so the kernel's small per-handle queue (64 reports on Linux,
// 0.64 s of the cable) never overflows while the GUI thread is busy.
// One call of Serve() at a time is posted to the application's main thread;
// it takes the oldest entry, runs the handler with the lock released and
// then posts the next call while entries are left. The handler thus still
// gets the reports one at a time, in arrival order, between other window
// events, and a nested event loop inside a handler gets no second report
// before the handler returns.
//
// The queue holds QueueCapacity entries (41 s of the cable's 100 reports a
// second). When it is full the oldest entry goes and ReportsLost() counts
// it. Terminate() discards what is queued and joins the reader: the
// application has asked for no more reports, and handing them over from
// inside the stop would re-enter the application from SetOnReport or a
// destructor.
//
// The object is shared: a running Serve() keeps it alive, so a handler may
// stop the reader or destroy the device and still return into valid memory.
class THidDeviceReadThread : public std::enable_shared_from_this<THidDeviceReadThread> {
public:
    // Error code delivered when there is no handle to read from (the device
    // was marked unplugged, or the read handle could not be opened).
    static constexpr quint32 ErrorNoHandle = 6;
    static constexpr std::size_t QueueCapacity = 4096;
    static constexpr int HandOverWaitMs = 250;

    THidDeviceReadThread(THidDevice* device, std::unique_ptr<hid::Handle> handle,
                         std::size_t reportLength, qint32 sliceMs,
                         std::size_t queueCapacity = QueueCapacity);
    ~THidDeviceReadThread();
    THidDeviceReadThread(const THidDeviceReadThread&) = delete;
    THidDeviceReadThread& operator=(const THidDeviceReadThread&) = delete;

    void Start();
    // GUI thread: ends the read loop, discards the queue, waits for the thread.
    void Terminate();
    void SetSliceMs(qint32 ms);
    // The device is gone: the reader drops its handle and from then on
    // reports every attempt to read as ErrorNoHandle.
    void DropHandle();
    // The loop ended (a handler failed or termination was requested).
    bool Finished() const;
    // Entries dropped from a full queue since the reader started.
    quint64 ReportsLost() const;
    // Entries read and not yet handed to the application.
    std::size_t QueuedReports() const;

private:
    // One queue slot: a report of `size` bytes at its place in `slots_`, or
    // (size 0) a read that could not be issued, with its error code.
    struct Entry {
        std::size_t size = 0;
        quint32 error = 0;
    };

    void Execute();                                                      // reader thread
    void Enqueue(const quint8* report, std::size_t size, quint32 error); // reader thread
    void PostServe();                                                    // mutex_ held
    void PauseOneSlice();                                                // reader thread
    void Serve();                                                        // GUI thread

    THidDevice* const Device;
    std::vector<quint8> Report;     // reader thread only
    std::vector<quint8> delivered_; // GUI thread only: the entry being handled

    std::unique_ptr<hid::Handle> handle_;
    std::thread thread_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    // Ring of `capacity_` entries; entry i's bytes at slots_[i * Report.size()].
    const std::size_t capacity_;
    std::vector<Entry> entries_;
    std::vector<quint8> slots_;
    std::size_t head_ = 0;
    std::size_t count_ = 0;
    quint64 lost_ = 0;
    bool posted_ = false;  // a Serve() call waits in the event queue
    bool serving_ = false; // Serve() is running the handler
    bool terminate_ = false;
    bool unplugged_ = false;
    bool finished_ = false;
    qint32 sliceMs_;
};
