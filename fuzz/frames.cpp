// Cable reports through the frame builder (live and download mode), every
// frame it shows decoded and judged.
//
// Input layout:
//   byte 0        bits 0-1: decimal separator ".", ",", "" or "<>"
//   bytes 1-2     low limit, bytes 3-4 high limit: signed 16-bit tenths
//   then reports  byte L (low five bits: payload length 0..31), L payload
//                 bytes (fewer at the end of the input)
//
// Each builder is checked after every report against a model of its rules:
// the collected bytes, FrameCollecting, EmptyReportCount, the frame (at most
// 20 upper-case hex digits, the low nibbles of the first 20 collected bytes)
// and which actions a frame leads to. A frame the builder drops, or one the
// decoder refuses, must leave the reading as it was.
#include "FuzzCheck.h"

#include "protocol/FrameBuilder.h"
#include "protocol/Judgement.h"
#include "protocol/NumberText.h"
#include "protocol/ReadingDecoder.h"
#include "protocol/ReadingState.h"

#include <QString>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

struct Limits {
    QString sep, lo, hi;
};

QString limitText(int tenths, const QString& sep)
{
    const int magnitude = tenths < 0 ? -tenths : tenths;
    return (tenths < 0 ? QStringLiteral("-") : QString()) + QString::number(magnitude / 10) +
           (sep.isEmpty() ? QString() : sep + QString::number(magnitude % 10));
}

bool isDigitAt(const QString& frame, int position)
{
    return position <= frame.size() && frame[position - 1] >= u'0' && frame[position - 1] <= u'9';
}

QChar glyph(QChar code)
{
    if (code == u'F')
        return u'@';
    if (code == u'A')
        return u' ';
    if (code == u'B')
        return u'-';
    return code;
}

// What the window takes from a decoded frame; a refused frame must not
// change it.
void applyReading(ReadingState& state, const DecodedReading& r, const Limits& limits)
{
    state.ValueText = r.valueText;
    if (r.channel == MeterChannel::T1 || r.channel == MeterChannel::T2) {
        state.ChannelText = r.channelText();
        state.JudgeText = verdictText(judgeReading(r.valueText, limits.lo, limits.hi, limits.sep));
    } else if (r.channel == MeterChannel::T1MinusT2) {
        state.ChannelText = r.channelText();
    }
    if (r.value)
        state.CurrentValue = *r.value;
}

void checkDecoded(const QString& frame, const Limits& limits, ReadingState& reading)
{
    const bool fourDashes = frame.mid(1, 4) == QLatin1String("BBBB");
    const bool decodable = isDigitAt(frame, 1) && isDigitAt(frame, 6) && isDigitAt(frame, 9) &&
                           (fourDashes || isDigitAt(frame, 14));
    FUZZ_CHECK(ReadingDecoder::isDecodable(frame) == decodable);

    const ReadingState before = reading;
    const std::optional<DecodedReading> r = ReadingDecoder::decode(frame, limits.sep);
    FUZZ_CHECK(r.has_value() == decodable);
    if (!r) {
        FUZZ_CHECK(reading.ValueText == before.ValueText && reading.JudgeText == before.JudgeText);
        return;
    }

    FUZZ_CHECK(r->d4 == glyph(frame[1]) && r->d3 == glyph(frame[2]) &&
               r->d2 == glyph(frame[3]) && r->d1 == glyph(frame[4]));
    const int flag = frame[0].unicode() - '0';
    FUZZ_CHECK(r->negative == ((flag & 1) != 0) && r->decimalPoint == ((flag & 2) != 0));
    FUZZ_CHECK(r->clockText.size() <= 5 && r->clockText.contains(u':'));

    if (r->d2 == u'@') {
        FUZZ_CHECK(r->valueText.size() == 4 && r->valueText[2] == u'L');
    } else if (r->d2 == u'-' && r->d1 == u'-') {
        FUZZ_CHECK(r->valueText == QLatin1String("----"));
    } else {
        const qsizetype expected = 5 + (r->decimalPoint ? limits.sep.size() : 0);
        FUZZ_CHECK(r->valueText.size() == expected);
        FUZZ_CHECK(r->valueText[0] == (r->negative ? u'-' : u' '));
    }

    const bool dash = r->d2 == u'-' || r->d1 == u'-';
    const std::optional<double> number = numberFromText(r->valueText, limits.sep);
    FUZZ_CHECK(r->value.has_value() == (!dash && number.has_value()));
    if (r->value) {
        FUZZ_CHECK(*r->value == *number);
        FUZZ_CHECK(*r->value >= -9999.0 && *r->value <= 9999.0);
    }

    if (fourDashes) {
        FUZZ_CHECK(r->channel == MeterChannel::None);
    } else {
        const int c = frame[13].unicode() - '0';
        const MeterChannel expected = c == 0   ? MeterChannel::T1
                                      : c == 1 ? MeterChannel::T2
                                      : c <= 3 ? MeterChannel::T1MinusT2
                                               : MeterChannel::None;
        FUZZ_CHECK(r->channel == expected);
    }

    const Verdict verdict = judgeReading(r->valueText, limits.lo, limits.hi, limits.sep);
    const std::optional<double> lo = numberFromText(limits.lo, limits.sep);
    const std::optional<double> hi = numberFromText(limits.hi, limits.sep);
    FUZZ_CHECK(lo && hi);
    const bool passes = number && *number != -999999.0 && *lo <= *number && *number <= *hi;
    FUZZ_CHECK((verdict == Verdict::Pass) == passes);

    applyReading(reading, *r, limits);
}

// The builder's rules, kept independently of it.
struct Model {
    std::vector<quint8> collected;
    bool collecting = false;
    qint32 emptyReports = 0;
    QString frame;

    struct Outcome {
        bool built = false, show = false, stop = false;
    };

    Outcome take(const quint8* data, int size, bool download)
    {
        Outcome out;
        const int k = size > 0 ? data[0] & 0x0F : 0;
        if (size > 0)
            ++emptyReports;
        if (k >= 1 && k <= 9) {
            emptyReports = 0;
            collecting = true;
            for (int i = 1; i <= k && i < size; ++i)
                collected.push_back(data[i]);
            return out;
        }
        if (collecting) {
            frame.clear();
            for (std::size_t i = 0; i < collected.size() && i < 20; ++i)
                frame.append(QLatin1Char("0123456789ABCDEF"[collected[i] & 0x0F]));
            out.built = true;
            const QString kind = frame.mid(16, 3);
            out.show = kind == QLatin1String(download ? "7DA" : "1DA");
            out.stop = download && frame.mid(6, 2) == QLatin1String("99");
            collected.clear();
        }
        collecting = false;
        return out;
    }
};

struct Lane {
    bool download;
    FrameAssemblyState state;
    Model model;
    ReadingState reading;
};

void feed(Lane& lane, const quint8* report, int size, const Limits& limits)
{
    const Model::Outcome expected = lane.model.take(report, size, lane.download);
    bool shown = false, stopped = false;
    const FrameBuilder::Actions actions{
        [&] {
            FUZZ_CHECK(!stopped); // shown first, then stopped
            shown = true;
            checkDecoded(lane.state.CurrentFrame, limits, lane.reading);
        },
        [&] { stopped = true; }};

    const ReadingState before = lane.reading;
    FrameBuilder(lane.state).takeReport(report, quint16(size), lane.download, actions);

    FUZZ_CHECK(shown == expected.show && stopped == expected.stop);
    if (!shown) // a dropped frame, or no frame, changes no reading
        FUZZ_CHECK(lane.reading.ValueText == before.ValueText &&
                   lane.reading.JudgeText == before.JudgeText &&
                   lane.reading.ChannelText == before.ChannelText);
    FUZZ_CHECK(lane.state.FrameCollecting == lane.model.collecting);
    FUZZ_CHECK(lane.state.EmptyReportCount == lane.model.emptyReports);
    FUZZ_CHECK(lane.state.ReportHex.size() <= 2 * FrameBuilder::kMaxFrameLength);
    if (expected.built) {
        FUZZ_CHECK(lane.state.CurrentFrame == lane.model.frame);
        FUZZ_CHECK(lane.state.CurrentFrame.size() <= FrameBuilder::kMaxFrameLength);
        FUZZ_CHECK(lane.state.ReportHex.isEmpty());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 5)
        return 0;
    static const char* const separators[] = {".", ",", "", "<>"};
    Limits limits;
    limits.sep = QString::fromLatin1(separators[data[0] & 3]);
    limits.lo = limitText(qint16(data[1] | data[2] << 8), limits.sep);
    limits.hi = limitText(qint16(data[3] | data[4] << 8), limits.sep);

    Lane lanes[] = {{false, {}, {}, {}}, {true, {}, {}, {}}};
    for (size_t pos = 5; pos < size;) {
        const size_t length = data[pos++] & 0x1F;
        const size_t taken = length < size - pos ? length : size - pos;
        // A copy of exactly the payload's size, so reading past it is caught.
        const std::unique_ptr<quint8[]> report(taken ? new quint8[taken] : nullptr);
        std::copy(data + pos, data + pos + taken, report.get());
        pos += taken;
        for (Lane& lane : lanes)
            feed(lane, report.get(), int(taken), limits);
    }
    return 0;
}
