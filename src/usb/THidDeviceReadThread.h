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
// on its own handle, waits for it in slices of SliceMs, and hands every
// completed report (and every read that cannot be issued) to the GUI thread,
// waiting until the handler has returned before it reads again. After a read
// that cannot be issued or fails it waits one slice before the next attempt,
// so a vanished device does not make it spin.
//
// Hand-over, the only place where the two threads meet: the reader puts a
// delivery into `pending_` under `mutex_`, queues a call of Serve() to the
// application's main thread, and waits on `changed_`. Serve() takes the
// delivery out of the slot, runs the handler with the lock released (the
// reader is blocked, so Report is stable) and then wakes the reader.
// Terminate() sets `terminate_`, discards a delivery that Serve() has not
// begun, wakes the reader and joins it: the reader never waits for the GUI
// thread once termination is requested, so a stop cannot deadlock, whether
// it comes from a timer, a nested event loop inside a handler or a
// destructor. The discarded report was read before the stop but not handed
// over yet; the application has asked for no more reports, and handing it
// over from inside the stop would re-enter the application from SetOnReport
// or a destructor.
//
// The object is shared: a running Serve() keeps it alive, so a handler may
// stop the reader or destroy the device and still return into valid memory.
class THidDeviceReadThread : public std::enable_shared_from_this<THidDeviceReadThread> {
public:
    // Error code delivered when there is no handle to read from (the device
    // was marked unplugged, or the read handle could not be opened).
    static constexpr quint32 ErrorNoHandle = 6;

    THidDeviceReadThread(THidDevice* device, std::unique_ptr<hid::Handle> handle,
                         std::size_t reportLength, qint32 sliceMs);
    ~THidDeviceReadThread();
    THidDeviceReadThread(const THidDeviceReadThread&) = delete;
    THidDeviceReadThread& operator=(const THidDeviceReadThread&) = delete;

    void Start();
    // GUI thread: ends the read loop and waits for the thread.
    void Terminate();
    void SetSliceMs(qint32 ms);
    // The device is gone: the reader drops its handle and from then on
    // reports every attempt to read as ErrorNoHandle.
    void DropHandle();
    // The loop ended (a handler failed or termination was requested).
    bool Finished() const;

private:
    enum class Delivery { None, Report, Error };

    void Execute();                   // reader thread
    bool HandOver(Delivery delivery); // reader thread; false: leave the loop
    void PauseOneSlice();             // reader thread
    void Serve();                     // GUI thread

    THidDevice* const Device;
    std::vector<quint8> Report;
    std::size_t BytesRead = 0;
    quint32 LastError = 0;

    std::unique_ptr<hid::Handle> handle_;
    std::thread thread_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    Delivery pending_ = Delivery::None;
    bool serving_ = false; // Serve() is running the handler
    bool terminate_ = false;
    bool unplugged_ = false;
    bool finished_ = false;
    qint32 sliceMs_;
};
