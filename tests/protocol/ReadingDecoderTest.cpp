// Decoding meter frames into the readout and the current reading.
#include "protocol/ReadingDecoder.h"

#include <gtest/gtest.h>

namespace {

// A live frame: flag, four display codes, unit, "00", type, clock A, clock B,
// channel, "00", "1DA".
QString frame(const char* flag, const char* display, char unit = '1', char type = '0',
              const char* clockA = "12", const char* clockB = "34", char channel = '0')
{
    return QString::fromLatin1(flag) + QString::fromLatin1(display) + QChar::fromLatin1(unit) +
           QStringLiteral("00") + QChar::fromLatin1(type) + QString::fromLatin1(clockA) +
           QString::fromLatin1(clockB) + QChar::fromLatin1(channel) + QStringLiteral("001DA");
}

DecodedReading decoded(const QString& f, const QString& sep = QStringLiteral("."))
{
    const std::optional<DecodedReading> r = ReadingDecoder::decode(f, sep);
    EXPECT_TRUE(r.has_value()) << f.toStdString();
    return r.value_or(DecodedReading{});
}

QString display(const DecodedReading& r)
{
    return QString{r.d4} + r.d3 + r.d2 + r.d1;
}

TEST(ReadingDecoder, LiveT1ReadingFromTheCable)
{
    const DecodedReading r = decoded(QStringLiteral("20235100000000001DA"));
    EXPECT_EQ(display(r), QStringLiteral("0235"));
    EXPECT_TRUE(r.decimalPoint);
    EXPECT_FALSE(r.negative);
    EXPECT_EQ(r.unitSymbol, QLatin1Char('#'));
    EXPECT_EQ(r.typeLetter, QLatin1Char('K'));
    EXPECT_EQ(r.valueText, QStringLiteral(" 023.5"));
    EXPECT_EQ(r.channel, MeterChannel::T1);
    EXPECT_EQ(r.value, 23.5);
}

struct ValueCase {
    const char* flag;
    const char* display;
    const char* sep;
    const char* valueText;
    std::optional<double> value;
};

void PrintTo(const ValueCase& c, std::ostream* os)
{
    *os << "flag " << c.flag << " display " << c.display << " sep '" << c.sep << "'";
}

class ValueTextTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(ValueTextTest, ValueTextAndNumber)
{
    const ValueCase& c = GetParam();
    const DecodedReading r = decoded(frame(c.flag, c.display), QString::fromUtf8(c.sep));
    EXPECT_EQ(r.valueText, QString::fromUtf8(c.valueText));
    EXPECT_EQ(r.value, c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Readings, ValueTextTest,
    ::testing::Values(ValueCase{"2", "0235", ".", " 023.5", 23.5},
                      ValueCase{"3", "0235", ".", "-023.5", -23.5},
                      ValueCase{"0", "0235", ".", " 0235", 235.0},
                      ValueCase{"1", "1234", ".", "-1234", -1234.0},
                      ValueCase{"2", "0235", ",", " 023,5", 23.5},
                      ValueCase{"2", "0235", "", " 0235", 235.0}, // no separator known: no point
                      ValueCase{"2", "0235", "dec", " 023dec5", 23.5},
                      // Digit codes: A blank, B dash, F the L glyph, C-E as they are.
                      ValueCase{"2", "A235", ".", "  23.5", 23.5},
                      ValueCase{"0", "0A35", ".", " 0 35", std::nullopt},
                      ValueCase{"0", "1C35", ".", " 1C35", std::nullopt},
                      // Overload: no sign, no separator, L for the F code.
                      ValueCase{"2", "A0FA", ".", " 0L ", std::nullopt},
                      ValueCase{"3", "B0FA", ".", "-0L ", std::nullopt},
                      // Dashes at the last two digits give the dash text.
                      ValueCase{"2", "BBBB", ".", "----", std::nullopt},
                      ValueCase{"2", "12BB", ".", "----", std::nullopt},
                      // A dash in front of the digits reads as their sign; one at d2 or
                      // d1 makes the reading no number.
                      ValueCase{"0", "B123", ".", " -123", -123.0},
                      ValueCase{"0", "01B3", ".", " 01-3", std::nullopt},
                      ValueCase{"0", "1BB3", ".", " 1--3", std::nullopt},
                      // A blank between the sign and the digits is no number either.
                      ValueCase{"1", "A123", ".", "- 123", std::nullopt}));

TEST(ReadingDecoder, OverloadShowsTheLGlyph)
{
    EXPECT_EQ(display(decoded(frame("0", "A0FA"))), QStringLiteral(" 0@ "));
    EXPECT_EQ(display(decoded(frame("0", "BBBB"))), QStringLiteral("----"));
}

TEST(ReadingDecoder, FlagBitsSignPointAndClock)
{
    struct Case {
        const char* flag;
        bool negative, point;
        const char* caption;
        const char* clock;
    };
    // Clock field A "12", field B "34": H:M shows A first, M:S shows B first.
    const Case cases[] = {
        {"0", false, false, "M:S", "34:12"}, {"1", true, false, "M:S", "34:12"},
        {"2", false, true, "M:S", "34:12"},  {"3", true, true, "M:S", "34:12"},
        {"4", false, false, "H:M", "12:34"}, {"5", true, false, "H:M", "12:34"},
        {"6", false, true, "H:M", "12:34"},  {"7", true, true, "H:M", "12:34"},
        {"8", false, false, "M:S", "34:12"}, {"9", true, false, "M:S", "34:12"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flag);
        const DecodedReading r = decoded(frame(c.flag, "0235"));
        EXPECT_EQ(r.negative, c.negative);
        EXPECT_EQ(r.signText(), c.negative ? QStringLiteral("-") : QStringLiteral(" "));
        EXPECT_EQ(r.decimalPoint, c.point);
        EXPECT_EQ(r.clockCaption, QString::fromLatin1(c.caption));
        EXPECT_EQ(r.clockText, QString::fromLatin1(c.clock));
    }
}

TEST(ReadingDecoder, ClockCharactersShownAsTheyStand)
{
    EXPECT_EQ(decoded(frame("4", "0235", '1', '0', "9F", "AB")).clockText, QStringLiteral("9F:AB"));
}

TEST(ReadingDecoder, UnitDigitModuloFour)
{
    const char expected[] = {0, '#', '?', 'K', 0, '#', '?', 'K', 0, '#'};
    for (char unit = '0'; unit <= '9'; ++unit) {
        SCOPED_TRACE(unit);
        const QChar symbol = decoded(frame("0", "0235", unit)).unitSymbol;
        const char want = expected[unit - '0'];
        EXPECT_EQ(symbol, want ? QLatin1Char(want) : QChar());
    }
}

TEST(ReadingDecoder, TypeDigitsSevenToNineLeaveTheLetter)
{
    const QString letters = QStringLiteral("KJTENRS");
    for (char type = '0'; type <= '9'; ++type) {
        SCOPED_TRACE(type);
        const QChar letter = decoded(frame("0", "0235", '1', type)).typeLetter;
        EXPECT_EQ(letter, type < '7' ? letters[type - '0'] : QChar());
    }
}

TEST(ReadingDecoder, ChannelDigits)
{
    const MeterChannel expected[] = {
        MeterChannel::T1,   MeterChannel::T2,   MeterChannel::T1MinusT2, MeterChannel::T1MinusT2,
        MeterChannel::None, MeterChannel::None, MeterChannel::None,      MeterChannel::None,
        MeterChannel::None, MeterChannel::None};
    for (char channel = '0'; channel <= '9'; ++channel) {
        SCOPED_TRACE(channel);
        EXPECT_EQ(decoded(frame("0", "0235", '1', '0', "12", "34", channel)).channel,
                  expected[channel - '0']);
    }
}

TEST(ReadingDecoder, FourDashesSkipTheChannelEvenWhenItIsThere)
{
    EXPECT_EQ(decoded(frame("0", "BBBB", '1', '0', "12", "34", '1')).channel, MeterChannel::None);
    // Positions 4-5 alone are not the four-dash display: the channel counts.
    EXPECT_EQ(decoded(frame("0", "12BB", '1', '0', "12", "34", '1')).channel, MeterChannel::T2);
}

TEST(ReadingDecoder, FourDashesNeedNoChannelDigit)
{
    // Nine characters: flag, display, unit, two bytes, type; no clock, no channel.
    const DecodedReading r = decoded(QStringLiteral("0BBBB1003"));
    EXPECT_EQ(r.valueText, QStringLiteral("----"));
    EXPECT_EQ(r.channel, MeterChannel::None);
    EXPECT_EQ(r.typeLetter, QLatin1Char('E'));
    EXPECT_EQ(r.clockText, QStringLiteral(":"));
    EXPECT_FALSE(r.value.has_value());
}

TEST(ReadingDecoder, UndecodableFramesAreRejectedWhole)
{
    const QString good = frame("2", "0235");
    ASSERT_TRUE(ReadingDecoder::isDecodable(good));
    for (int position : {1, 6, 9, 14}) {
        for (QChar bad : {QLatin1Char('A'), QLatin1Char('F'), QLatin1Char(' ')}) {
            QString f = good;
            f[position - 1] = bad;
            SCOPED_TRACE(f.toStdString());
            EXPECT_FALSE(ReadingDecoder::isDecodable(f));
            EXPECT_FALSE(ReadingDecoder::decode(f, u".").has_value());
        }
    }
    // Short frames: every length that ends before the channel digit.
    for (qsizetype length = 0; length < 14; ++length) {
        SCOPED_TRACE(length);
        EXPECT_FALSE(ReadingDecoder::decode(QStringView(good).left(length), u".").has_value());
    }
    EXPECT_TRUE(ReadingDecoder::decode(QStringView(good).left(14), u".").has_value());
}

TEST(ReadingDecoder, FourDashesStillNeedFlagUnitAndType)
{
    EXPECT_FALSE(ReadingDecoder::isDecodable(u"ABBBB1000"));
    EXPECT_FALSE(ReadingDecoder::isDecodable(u"0BBBBA000"));
    EXPECT_FALSE(ReadingDecoder::isDecodable(u"0BBBB100"));
    EXPECT_TRUE(ReadingDecoder::isDecodable(u"0BBBB1000121F"));
}

} // namespace
