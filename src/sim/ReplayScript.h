#pragma once

#include "sim/MeterMessages.h"

#include <QString>

#include <memory>
#include <string>
#include <vector>

// Meter messages replayed from a text file, one message per line written as
// its frame digits (at most 17, '0'-'9' and 'A'-'F' in either case), e.g.
// "20235100000000001" for a live T1 reading of 23.5 degrees C, type K.
// Blank lines and lines starting with '#' are skipped. Each start command
// (1 or 7) replays the file from its first message, one message per
// interval, until the stop command or the end of the file.
class ReplayScript final : public MeterMessages {
public:
    static constexpr int kMaxDigits = 17;

    ReplayScript(std::vector<std::string> messages, qint64 intervalUs);

    // The messages of a file; on failure none, and error says what and where.
    static std::unique_ptr<ReplayScript> load(const QString& path, qint64 intervalUs,
                                              QString& error);
    // The same from file contents; lineError names the first bad line.
    static bool parse(const QByteArray& contents, std::vector<std::string>& messages,
                      QString& lineError);

    void start(quint8 command, qint64 atUs) override;
    std::optional<std::string> next(qint64 atUs) override;
    qint64 intervalUs() const override { return intervalUs_; }

private:
    std::vector<std::string> messages_;
    std::size_t next_ = 0;
    qint64 intervalUs_;
};
