#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

// The test machine's side of the emulated cable: what it logged, plugging
// it in and out, and a second cable made through uhid whose feature
// reports fail.
namespace guest {

// The lines the emulated cable logged ("feature 60 09 ...", "output 01 07 ..."),
// the bytes after the report ID in hexadecimal.
QStringList cableLog();

// Binds the gadget to the dummy controller (plugged in) or unbinds it, and
// waits until its hidraw node has appeared or gone and udevd has handled
// every event; false after 30 s.
bool plugCable(bool plugged);

// "USB to Serial" on the virtual bus, without USB parent: the kernel hands
// every feature report to this object, which refuses it.
class FailingCable {
public:
    FailingCable();
    ~FailingCable();
    FailingCable(const FailingCable&) = delete;
    FailingCable& operator=(const FailingCable&) = delete;

    bool created() const { return fd_ >= 0; }
    int refusedFeatures() const { return refused_; }
    // Output reports received, the bytes after the report ID.
    std::vector<std::vector<unsigned char>> outputs() const;

private:
    void serve();

    int fd_ = -1;
    std::atomic<bool> running_{true};
    std::atomic<int> refused_{0};
    mutable std::mutex mutex_;
    std::vector<std::vector<unsigned char>> outputs_;
    std::thread thread_;
};

} // namespace guest
