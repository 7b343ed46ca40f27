#pragma once

#include <QtGlobal>

#include <memory>
#include <optional>
#include <string>
#include <vector>

// What the simulated meter says after a start command. A message is given as
// its frame digits ('0'-'9', 'A'-'F'); the meter sends each digit as the byte
// whose low four bits it is ('0'-'9' as 0x30-0x39, 'A' as ':' and so on),
// then CR LF. A whole message has 17 digits:
//
//   position  1     flag: bit 0 minus, bit 1 decimal point, bit 2 clock H:M
//             2-5   display digits, left to right
//             6     unit: 1 degrees C, 2 degrees F, 3 kelvin
//             7-8   "99" on the last stored reading
//             9     thermocouple type: 0 K, 1 J, 2 T, 3 E, 4 N, 5 R, 6 S
//             10-13 clock: seconds (or hours), then minutes
//             14    channel: 0 T1, 1 T2, 2 T1-T2
//             15-16 0
//             17    kind: 1 live, 7 stored
class MeterMessages {
public:
    virtual ~MeterMessages() = default;

    // The meter was told to start: command 1 (live) or 7 (stored readings),
    // at atUs on the simulator's clock.
    virtual void start(quint8 command, qint64 atUs) = 0;
    // The message that begins at atUs, or none when the meter has nothing
    // more to say until the next start.
    virtual std::optional<std::string> next(qint64 atUs) = 0;
    // From the start of one message to the start of the next (at least the
    // time the message takes on the line).
    virtual qint64 intervalUs() const = 0;

    // The bytes of one message on the serial line.
    static std::vector<quint8> lineBytes(const std::string& digits);
    // A message for the reading value (one decimal) and meter clock given.
    static std::string reading(double value, qint64 clockSeconds, char kind, bool last = false);

    // The meter of the simulator: live T1 readings twice a second, and 100
    // stored readings.
    static std::unique_ptr<MeterMessages> builtIn();
};
