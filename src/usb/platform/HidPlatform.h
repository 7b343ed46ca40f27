#pragma once

#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The operating-system side of HID access, as the device and controller
// classes need it. One implementation per platform (Linux hidraw, the
// simulated meter cable, the test fake); callers never see which one runs.
namespace hid {

// One HID interface present on the machine. `instance` identifies the
// device: equal while it stays plugged in, different after a re-plug.
struct InterfaceEntry {
    quint32 instance = 0;
    QString path;
};

struct Attributes {
    quint16 VendorID = 0;
    quint16 ProductID = 0;
    quint16 VersionNumber = 0;
};

// Report lengths in bytes, each including the report-ID byte (also for
// devices without report IDs, where that byte is 0); 0 when the device has
// no report of that kind.
struct ReportLengths {
    quint16 input = 0;
    quint16 output = 0;
    quint16 feature = 0;
};

enum class Access {
    ReadWrite, // synchronous handle for queries and writes
    QueryOnly, // synchronous handle without read/write access
    Read,      // handle for the read thread
};

enum class ReadWait {
    Completed, // the outstanding read finished; its byte count is given
    TimedOut,  // nothing within the wait (or woken by wake())
    Failed,    // the read ended with an error (device gone)
};

// An open device handle. Queries and writes run on the GUI thread; the read
// operations run on the device's read thread. wake() may be called from any
// thread.
class Handle {
public:
    virtual ~Handle() = default;

    virtual bool attributes(Attributes& out) = 0;
    virtual bool reportLengths(ReportLengths& out) = 0;
    // Strings as UTF-16 units without terminator, at most 254 units.
    virtual bool productString(std::u16string& out) = 0;
    virtual bool serialString(std::u16string& out) = 0;
    // String descriptor by index; index 0 is the language list, one unit
    // per language identifier.
    virtual bool indexedString(int index, std::u16string& out) = 0;

    // Byte 0 of data is the report ID.
    virtual bool sendFeature(const quint8* data, std::size_t length) = 0;
    virtual bool writeOutput(const quint8* data, std::size_t length, std::size_t& written) = 0;

    // One outstanding read at a time. startRead issues it into buffer, whose
    // byte 0 receives the report ID; on failure error holds a system error
    // code. waitRead waits at most ms for it. cancelRead abandons it.
    virtual bool startRead(quint8* buffer, std::size_t length, quint32& error) = 0;
    virtual ReadWait waitRead(int ms, std::size_t& count) = 0;
    virtual void cancelRead() = 0;
    // Makes a waitRead running in another thread return TimedOut at once.
    virtual void wake() = 0;
};

class Platform {
public:
    virtual ~Platform() = default;

    // False when the platform's HID support is missing: no devices then.
    virtual bool available() const = 0;
    virtual std::vector<InterfaceEntry> listInterfaces() = 0;
    // nullptr when the path cannot be opened with that access.
    virtual std::unique_ptr<Handle> open(const QString& path, Access access) = 0;
    // Called on the GUI thread whenever the set of HID devices may have
    // changed; an empty function unsubscribes.
    virtual void setDeviceChangeHandler(std::function<void()> handler) = 0;
};

} // namespace hid
