// The meter's USB interface cable, emulated inside the test machine as a
// real USB device: a configfs HID gadget on the dummy host controller, which
// the kernel enumerates like a plugged-in cable ("USB to Serial", no serial
// number, input and output reports of 8 bytes and a 9-byte feature report,
// none numbered). Behind it sits a meter that answers the preamble and the
// commands 1 (live readings twice a second), 7 (the stored readings, the
// last marked "99") and 2 (stop), at the pace of a 2400-baud line: the cable
// sends an input report every 10 ms carrying the meter bytes that arrived
// meanwhile, and a report without any after each message.
//
// Without an OUT endpoint the kernel's HID function holds one report from
// the host at a time, feature or output: a report not read before the next
// arrives is lost (the program sends the speed, the preamble and a command
// within a few milliseconds). So the cable runs at real-time priority, ahead
// of udevd's workers and the program under test.
//
// Every feature and output report the cable receives is appended to the log
// as one line, "feature 00 60 09 ..." or "output 01 07 00 ...", the bytes
// after the report ID. The tests unplug and replug the cable themselves by
// writing the gadget's UDC file.
//
//   input report   byte 0: 0xF0 | k (meter bytes that follow), 1..k: bytes
//   output report  byte 0: k, 1..k: bytes to the meter
//   feature report bytes 0-3: baud rate (little-endian), 4: 3, 5-8: 0
#include <poll.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <vector>

namespace {

const char* const kGadget = "/sys/kernel/config/usb_gadget/cable";
const char* const kUdc = "dummy_udc.0";
constexpr int kStoredReadings = 100;
constexpr int kReportLength = 8;
constexpr long kTickNs = 10 * 1000 * 1000;
// 2400 baud, 10 bits a byte: 2.4 bytes in a 10 ms tick, counted in tenths.
constexpr int kTenthBytesPerTick = 24;
constexpr int kLiveIntervalTicks = 50;

// Vendor-defined collection: 8 input bytes, 8 output bytes, 9 feature bytes.
const unsigned char kReportDescriptor[] = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00,
                                           0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x08, 0x09, 0x01,
                                           0x81, 0x02, 0x95, 0x08, 0x09, 0x01, 0x91, 0x02, 0x95,
                                           0x09, 0x09, 0x01, 0xB1, 0x02, 0xC0};

bool writeFile(const std::string& path, const void* data, std::size_t size)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, data, size) == ssize_t(size);
    ::close(fd);
    if (!ok)
        std::fprintf(stderr, "cable: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
    return ok;
}

bool writeText(const std::string& path, const std::string& text)
{
    return writeFile(path, text.data(), text.size());
}

bool makeGadget()
{
    const std::string g = kGadget;
    for (const std::string& dir : {g, g + "/strings/0x409", g + "/configs/c.1",
                                   g + "/configs/c.1/strings/0x409", g + "/functions/hid.usb0"}) {
        if (::mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) {
            std::fprintf(stderr, "cable: cannot make %s: %s\n", dir.c_str(), std::strerror(errno));
            return false;
        }
    }
    const std::string f = g + "/functions/hid.usb0";
    bool ok = writeText(g + "/idVendor", "0x1234") && writeText(g + "/idProduct", "0x5678") &&
              writeText(g + "/bcdDevice", "0x0110") &&
              writeText(g + "/strings/0x409/manufacturer", "Test bench") &&
              writeText(g + "/strings/0x409/product", "USB to Serial") &&
              writeText(g + "/configs/c.1/strings/0x409/configuration", "cable") &&
              writeText(f + "/protocol", "0") && writeText(f + "/subclass", "0") &&
              writeText(f + "/report_length", "9") &&
              // With an OUT endpoint the kernel refuses feature reports (EPIPE).
              writeText(f + "/no_out_endpoint", "1") &&
              writeFile(f + "/report_desc", kReportDescriptor, sizeof kReportDescriptor);
    if (ok && ::symlink(f.c_str(), (g + "/configs/c.1/hid.usb0").c_str()) != 0 && errno != EEXIST)
        ok = false;
    return ok && writeText(g + "/UDC", kUdc);
}

// One message: 16 reading digits and the kind digit, each sent as the byte
// whose low four bits it is, then CR LF.
std::vector<unsigned char> message(int tenths, int clockSeconds, char kind, bool last)
{
    char digits[24];
    std::snprintf(digits, sizeof digits, "2%04d1%s0%02d%02d000%c", tenths % 10000,
                  last ? "99" : "00", clockSeconds % 60, (clockSeconds / 60) % 60, kind);
    std::vector<unsigned char> bytes;
    for (const char* c = digits; *c; ++c)
        bytes.push_back(static_cast<unsigned char>(0x30 + (*c - '0')));
    bytes.push_back(0x0D);
    bytes.push_back(0x0A);
    return bytes;
}

class Meter {
public:
    void command(unsigned char code)
    {
        if (code == 1 || code == 7) {
            mode_ = code;
            sent_ = 0;
            wait_ = 0;
            line_.clear();
        } else if (code == 2) {
            mode_ = 0;
            line_.clear();
        }
    }

    // The input report of one tick.
    void tick(unsigned char* report)
    {
        std::memset(report, 0, kReportLength);
        report[0] = 0xF0;
        if (line_.empty() && !ended_) {
            ended_ = true; // a report without meter bytes ends the message
            return;
        }
        if (line_.empty() && !nextMessage())
            return;
        budget_ += kTenthBytesPerTick;
        int k = 0;
        while (k < kReportLength - 1 && budget_ >= 10 && !line_.empty()) {
            report[1 + k++] = line_.front();
            line_.erase(line_.begin());
            budget_ -= 10;
        }
        report[0] = static_cast<unsigned char>(0xF0 | k);
        ended_ = false;
    }

private:
    bool nextMessage()
    {
        if (mode_ == 1) {
            if (wait_ > 0) {
                --wait_;
                return false;
            }
            wait_ = kLiveIntervalTicks;
            line_ = message(234 + sent_ % 10, sent_ / 2, '1', false);
        } else if (mode_ == 7 && sent_ < kStoredReadings) {
            line_ = message(200 + 5 * sent_, 10 * sent_, '7', sent_ == kStoredReadings - 1);
        } else {
            return false;
        }
        ++sent_;
        budget_ = 0;
        return true;
    }

    int mode_ = 0;
    int sent_ = 0;
    int wait_ = 0;
    int budget_ = 0;
    bool ended_ = true;
    std::vector<unsigned char> line_;
};

void logReport(FILE* log, const char* kind, const unsigned char* data, ssize_t n)
{
    std::fprintf(log, "%s", kind);
    for (ssize_t i = 0; i < n; ++i)
        std::fprintf(log, " %02X", data[i]);
    std::fprintf(log, "\n");
    std::fflush(log);
}

void addNs(timespec& t, long ns)
{
    t.tv_nsec += ns;
    while (t.tv_nsec >= 1000000000L) {
        t.tv_nsec -= 1000000000L;
        ++t.tv_sec;
    }
}

long nsUntil(const timespec& t)
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (t.tv_sec - now.tv_sec) * 1000000000L + (t.tv_nsec - now.tv_nsec);
}

} // namespace

int main(int argc, char** argv)
{
    const char* logPath = argc > 1 ? argv[1] : "/run/cable.log";
    FILE* log = std::fopen(logPath, "a");
    if (!log || !makeGadget())
        return 1;
    sched_param priority{};
    priority.sched_priority = 50;
    if (::sched_setscheduler(0, SCHED_FIFO, &priority) != 0)
        std::perror("cable: real-time priority");
    int fd = -1;
    for (int i = 0; i < 1000 && fd < 0; ++i) {
        fd = ::open("/dev/hidg0", O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            ::usleep(10000);
    }
    if (fd < 0) {
        std::perror("cable: /dev/hidg0");
        return 1;
    }

    Meter meter;
    unsigned char pending[kReportLength];
    bool havePending = false;
    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    for (;;) {
        addNs(next, kTickNs);
        // Reports from the host until the tick is due.
        for (long left; (left = nsUntil(next)) > 0;) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, int((left + 999999) / 1000000)) <= 0)
                continue;
            unsigned char buffer[64];
            const bool readable = p.revents & POLLIN;
            const ssize_t n = readable ? ::read(fd, buffer, sizeof buffer) : -1;
            if (n < 0 && (!readable || errno != EAGAIN)) {
                // An error or hang-up comes back at once: at real-time
                // priority, wait out the tick rather than spin on it.
                ::usleep(useconds_t(left / 1000));
                continue;
            }
            if (n == kReportLength + 1) {
                logReport(log, "feature", buffer, n);
            } else if (n == kReportLength) {
                logReport(log, "output", buffer, n);
                for (int i = 1; i <= (buffer[0] & 0x0F) && i < n; ++i)
                    meter.command(buffer[i]);
            }
        }
        if (nsUntil(next) < -100 * kTickNs)
            clock_gettime(CLOCK_MONOTONIC, &next); // fell far behind: no burst
        // The host takes a report only while someone has the device open;
        // until then the meter waits, as the line would hold its bytes.
        if (!havePending) {
            meter.tick(pending);
            havePending = true;
        }
        if (::write(fd, pending, kReportLength) == kReportLength)
            havePending = false;
    }
}
