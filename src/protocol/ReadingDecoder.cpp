#include "protocol/ReadingDecoder.h"

#include "protocol/NumberText.h"

// A meter frame: one upper-case hex digit (the byte's low four bits) per
// meter byte, positions counted from 1; a missing position reads as empty.
//
//   pos    field          meaning
//   1      flag           bit 0 minus sign, bit 1 decimal point before the
//                         last digit, bit 2 clock shows H:M (clear: M:S)
//   2-5    display        digit codes, leftmost first: '0'-'9', 'C'-'E' as
//                         they are, 'A' blank, 'B' dash, 'F' the L glyph
//                         ('F' at position 4 is the overload display "0L")
//   6      unit           value mod 4: 1 Celsius, 2 Fahrenheit, 3 kelvin,
//                         0 leaves the unit symbol
//   7-8    download end   "99" on the last stored reading (not read here)
//   9      type           0-6: K J T E N R S; 7-9 leave the type letter
//   10-11  clock field A  hours in H:M mode, seconds in M:S mode
//   12-13  clock field B  minutes
//   14     channel        0 T1, 1 T2, 2-3 T1-T2, 4-9 no channel
//   15-16  not read
//   17     kind           '1' live, '7' stored (checked by the frame builder)
//   18-19  "DA"           low digits of the message's CR LF

namespace {

constexpr qsizetype kFlagPos = 1;
constexpr qsizetype kDisplayPos = 2;
constexpr qsizetype kUnitPos = 6;
constexpr qsizetype kTypePos = 9;
constexpr qsizetype kClockAPos = 10;
constexpr qsizetype kClockBPos = 12;
constexpr qsizetype kChannelPos = 14;

// The text at a 1-based position and length, empty beyond the frame's end.
QStringView field(QStringView frame, qsizetype position, qsizetype length = 1)
{
    const qsizetype index = position - 1;
    if (index >= frame.size())
        return {};
    return frame.mid(index, length);
}

// The decimal digit at a position, or -1 when it is missing or no digit.
int digitAt(QStringView frame, qsizetype position)
{
    const QStringView c = field(frame, position);
    if (c.isEmpty() || c[0] < QLatin1Char('0') || c[0] > QLatin1Char('9'))
        return -1;
    return c[0].unicode() - '0';
}

bool showsFourDashes(QStringView frame)
{
    return field(frame, kDisplayPos, 4) == QLatin1String("BBBB");
}

QChar glyphOf(QChar code)
{
    switch (code.unicode()) {
    case 'F': return QLatin1Char('@');
    case 'A': return QLatin1Char(' ');
    case 'B': return QLatin1Char('-');
    default: return code;
    }
}

QChar unitSymbolOf(int unitDigit)
{
    static const char symbols[] = {0, '#', '?', 'K'};
    const char symbol = symbols[unitDigit % 4];
    return symbol ? QLatin1Char(symbol) : QChar();
}

QChar typeLetterOf(int typeDigit)
{
    static const char letters[] = "KJTENRS";
    return typeDigit < 7 ? QLatin1Char(letters[typeDigit]) : QChar();
}

MeterChannel channelOf(int channelDigit)
{
    switch (channelDigit) {
    case 0: return MeterChannel::T1;
    case 1: return MeterChannel::T2;
    case 2:
    case 3: return MeterChannel::T1MinusT2;
    default: return MeterChannel::None;
    }
}

} // namespace

QString DecodedReading::channelText() const
{
    switch (channel) {
    case MeterChannel::T1: return QStringLiteral("T1");
    case MeterChannel::T2: return QStringLiteral("T2");
    case MeterChannel::T1MinusT2: return QStringLiteral("T1-T2");
    case MeterChannel::None: break;
    }
    return {};
}

bool ReadingDecoder::isDecodable(QStringView frame)
{
    if (digitAt(frame, kFlagPos) < 0 || digitAt(frame, kUnitPos) < 0 ||
        digitAt(frame, kTypePos) < 0)
        return false;
    // A four-dash display carries no channel, so the channel digit may be
    // absent then.
    return showsFourDashes(frame) || digitAt(frame, kChannelPos) >= 0;
}

std::optional<DecodedReading> ReadingDecoder::decode(QStringView frame, QStringView decimalSep)
{
    if (!isDecodable(frame))
        return std::nullopt;
    // From here on every position read is known to be present (the unit
    // digit at position 6 is, so the display digits 2-5 are too).
    DecodedReading r;
    r.d4 = glyphOf(frame[1]);
    r.d3 = glyphOf(frame[2]);
    r.d2 = glyphOf(frame[3]);
    r.d1 = glyphOf(frame[4]);

    const int flag = digitAt(frame, kFlagPos);
    r.negative = (flag & 1) != 0;
    r.decimalPoint = (flag & 2) != 0;
    r.unitSymbol = unitSymbolOf(digitAt(frame, kUnitPos));
    r.typeLetter = typeLetterOf(digitAt(frame, kTypePos));

    const QStringView clockA = field(frame, kClockAPos, 2);
    const QStringView clockB = field(frame, kClockBPos, 2);
    const bool hoursMinutes = (flag & 4) != 0;
    r.clockCaption = hoursMinutes ? QStringLiteral("H:M") : QStringLiteral("M:S");
    const QStringView first = hoursMinutes ? clockA : clockB;
    const QStringView second = hoursMinutes ? clockB : clockA;
    r.clockText.reserve(5);
    r.clockText.append(first).append(QLatin1Char(':')).append(second);

    const QChar dash = QLatin1Char('-');
    if (r.d2 == QLatin1Char('@')) {
        const QChar overload[] = {r.d4, r.d3, QLatin1Char('L'), r.d1};
        r.valueText = QString(overload, 4);
    } else if (r.d2 == dash && r.d1 == dash) {
        r.valueText = QStringLiteral("----");
    } else {
        r.valueText.reserve(6 + decimalSep.size());
        r.valueText += r.negative ? dash : QLatin1Char(' ');
        r.valueText += r.d4;
        r.valueText += r.d3;
        r.valueText += r.d2;
        if (r.decimalPoint)
            r.valueText += decimalSep;
        r.valueText += r.d1;
    }

    if (!showsFourDashes(frame))
        r.channel = channelOf(digitAt(frame, kChannelPos));

    if (r.d2 != dash && r.d1 != dash)
        r.value = numberFromText(r.valueText, decimalSep);
    return r;
}
