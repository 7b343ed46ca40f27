#pragma once

#include "usb/platform/HidPlatform.h"

#include <QString>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace hidfake {

// How far a device lets itself be opened.
enum class Openable {
    Fully,     // read/write, query and read handles
    QueryOnly, // only handles without read/write access
    Never,     // nothing opens
};

// What a fake device answers. Absent strings make their request fail.
struct DeviceProfile {
    quint16 vendorId = 0x1234;
    quint16 productId = 0x5678;
    quint16 versionNumber = 0x0100;
    std::optional<std::u16string> product = u"Fake HID";
    std::optional<std::u16string> serial;
    std::optional<std::u16string> languages = std::u16string(1, char16_t(0x0409));
    hid::ReportLengths lengths{9, 9, 10};
    bool lengthsReadable = true;
    Openable openable = Openable::Fully;
    bool identifiable = true;
    // Reports the system keeps unread for a handle; newer ones are dropped
    // once that many wait, as hidraw does at 64. 0: no limit.
    std::size_t queueLimit = 0;
};

// Error code of a read started on a device that is gone.
constexpr quint32 ErrorDeviceNotConnected = 1167;

// One scripted device. Tests queue input reports and read errors, and look at
// what was written; every member is safe to call from any thread.
class FakeHidDevice {
public:
    FakeHidDevice(quint32 instance, QString path, DeviceProfile profile);

    quint32 instance() const { return instance_; }
    const QString& path() const { return path_; }
    const DeviceProfile& profile() const { return profile_; }
    bool pluggedIn() const;

    // An input report, byte 0 being the report ID; it completes the
    // outstanding read (or the next one), cut to the read's length.
    void pushReport(std::vector<quint8> report);
    // The next `times` read starts fail with this error code.
    void failReadStarts(quint32 error, int times = 1);
    // Reports queued and not yet read.
    std::size_t queuedReports() const;
    // Reports dropped because queueLimit were waiting.
    std::size_t droppedReports() const;

    std::vector<std::vector<quint8>> features() const;
    std::vector<std::vector<quint8>> outputs() const;
    void setWritesFail(bool fail);
    // Called with every output report written, on the writing thread, after
    // it was recorded; lets a test answer commands with input reports.
    void setOutputHook(std::function<void(const std::vector<quint8>&)> hook);

    // Handles currently open, by kind; reads started so far.
    int openHandles(hid::Access access) const;
    int readsStarted() const;
    // Blocks until a read is outstanding with nothing queued for it (the
    // reader is idle, waiting for input), or the timeout passed.
    bool waitUntilReaderIdle(std::chrono::milliseconds timeout) const;

private:
    friend class FakeHidHandle;
    friend class FakeHidPlatform;

    void setPluggedIn(bool pluggedIn);

    const quint32 instance_;
    const QString path_;
    const DeviceProfile profile_;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool pluggedIn_ = true;
    std::deque<std::vector<quint8>> reports_;
    std::size_t dropped_ = 0;
    std::deque<quint32> startErrors_;
    std::vector<std::vector<quint8>> features_;
    std::vector<std::vector<quint8>> outputs_;
    bool writesFail_ = false;
    std::function<void(const std::vector<quint8>&)> outputHook_;
    int open_[3] = {0, 0, 0};
    int readsStarted_ = 0;
    bool readOutstanding_ = false; // guarded by mutex_, like everything below it
};

} // namespace hidfake
