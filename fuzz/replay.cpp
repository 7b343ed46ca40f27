// Replay files as people write them by hand. A file either fails with a
// message naming its line, or gives messages of 1 to 17 upper-case frame
// digits that read back the same when written out again and that reach the
// program, through the meter's line bytes and the frame builder, as exactly
// their digits followed by the low digits of CR LF.
#include "FuzzCheck.h"

#include "protocol/FrameBuilder.h"
#include "sim/MeterMessages.h"
#include "sim/ReplayScript.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

bool isFrameDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

// The message as the frame builder assembles it from cable reports of up
// to seven meter bytes (as the cable sends them) and one end report.
QString frameOf(const std::string& digits)
{
    const std::vector<quint8> line = MeterMessages::lineBytes(digits);
    FrameAssemblyState state;
    for (std::size_t i = 0; i < line.size(); i += 7) {
        const std::size_t k = std::min<std::size_t>(7, line.size() - i);
        const std::unique_ptr<quint8[]> payload(new quint8[k + 1]);
        payload[0] = quint8(0xF0 | k);
        std::copy(line.begin() + i, line.begin() + i + k, payload.get() + 1);
        FrameBuilder(state).takeReport(payload.get(), quint16(k + 1), false, {});
    }
    const quint8 end = 0xF0;
    FrameBuilder(state).takeReport(&end, 1, false, {});
    return state.CurrentFrame;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray contents(reinterpret_cast<const char*>(data), qsizetype(size));
    std::vector<std::string> messages;
    QString lineError;
    if (!ReplayScript::parse(contents, messages, lineError)) {
        FUZZ_CHECK(lineError.startsWith(QLatin1String("line ")));
        return 0;
    }
    FUZZ_CHECK(lineError.isEmpty());
    FUZZ_CHECK(qsizetype(messages.size()) <= contents.count('\n') + 1);

    QByteArray written;
    for (const std::string& m : messages) {
        FUZZ_CHECK(!m.empty() && m.size() <= std::size_t(ReplayScript::kMaxDigits));
        FUZZ_CHECK(std::all_of(m.begin(), m.end(), isFrameDigit));
        written.append(m.data(), qsizetype(m.size())).append('\n');
    }
    std::vector<std::string> again;
    FUZZ_CHECK(ReplayScript::parse(written, again, lineError));
    FUZZ_CHECK(again == messages);

    for (const std::string& m : messages)
        FUZZ_CHECK(frameOf(m) == QString::fromStdString(m + "DA"));

    // Each start replays the file from its first message.
    ReplayScript script(messages, 1000);
    for (quint8 command : {quint8(1), quint8(7)}) {
        script.start(command, 0);
        for (const std::string& m : messages) {
            const std::optional<std::string> next = script.next(0);
            FUZZ_CHECK(next && *next == m);
        }
        FUZZ_CHECK(!script.next(0));
    }
    return 0;
}
