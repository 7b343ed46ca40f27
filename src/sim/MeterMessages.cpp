#include "sim/MeterMessages.h"

#include <cmath>
#include <cstdio>
#include <random>

namespace {

constexpr qint64 kSecondUs = 1000 * 1000;

// A thermocouple on a bench: slow drift around room temperature and a little
// noise, the same sequence at every run.
class BuiltInMeter final : public MeterMessages {
public:
    static constexpr int kStoredCount = 100;

    void start(quint8 command, qint64) override
    {
        live_ = command == 1;
        stored_ = 0;
    }

    std::optional<std::string> next(qint64 atUs) override
    {
        const qint64 clockSeconds = atUs / kSecondUs;
        if (live_)
            return reading(temperatureAt(double(atUs) / kSecondUs), clockSeconds, '1');
        if (stored_ >= kStoredCount)
            return std::nullopt;
        const int i = stored_++;
        // Stored readings of a cooling sample, one every ten seconds.
        const double value = 20.0 + 60.0 * std::exp(-i / 40.0);
        return reading(value, 10 * i, '7', stored_ == kStoredCount);
    }

    qint64 intervalUs() const override { return live_ ? kSecondUs / 2 : 0; }

private:
    double temperatureAt(double seconds)
    {
        constexpr double kPi = 3.14159265358979323846;
        std::normal_distribution<double> noise(0.0, 0.05);
        return 23.0 + 1.5 * std::sin(2 * kPi * seconds / 600.0) +
               0.4 * std::sin(2 * kPi * seconds / 53.0) + noise(random_);
    }

    bool live_ = false;
    int stored_ = 0;
    std::mt19937 random_{2400};
};

} // namespace

std::vector<quint8> MeterMessages::lineBytes(const std::string& digits)
{
    std::vector<quint8> bytes;
    bytes.reserve(digits.size() + 2);
    for (char c : digits) {
        const int value = c <= '9' ? c - '0' : c - 'A' + 10;
        bytes.push_back(quint8(0x30 + (value & 0x0F)));
    }
    bytes.push_back(0x0D);
    bytes.push_back(0x0A);
    return bytes;
}

std::string MeterMessages::reading(double value, qint64 clockSeconds, char kind, bool last)
{
    const long tenths = std::lround(std::fabs(value) * 10);
    // Four display digits: with one decimal while they hold the value,
    // whole degrees beyond 999.9.
    int flag = 0;
    long shown = tenths;
    if (tenths <= 9999) {
        flag |= 2;
    } else {
        shown = std::min(std::lround(std::fabs(value)), 9999L);
    }
    if (value < 0 && shown != 0)
        flag |= 1;
    // The clock shows minutes and seconds in the first hour, then hours
    // and minutes.
    long fieldA = clockSeconds % 60;
    long fieldB = (clockSeconds / 60) % 60;
    if (clockSeconds >= 3600) {
        flag |= 4;
        fieldA = (clockSeconds / 3600) % 100;
    }
    char text[24];
    std::snprintf(text, sizeof text, "%d%04ld1%s0%02ld%02ld000%c", flag, shown, last ? "99" : "00",
                  fieldA, fieldB, kind);
    return text;
}

std::unique_ptr<MeterMessages> MeterMessages::builtIn()
{
    return std::make_unique<BuiltInMeter>();
}
