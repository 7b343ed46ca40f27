// Converting value and limit texts with the window's decimal separator.
#include "protocol/NumberText.h"

#include <gtest/gtest.h>

#include <QString>

namespace {

struct NumberCase {
    const char* text;
    const char* sep;
    std::optional<double> value;
};

void PrintTo(const NumberCase& c, std::ostream* os)
{
    *os << "'" << c.text << "' with '" << c.sep << "'";
}

class NumberTextTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberTextTest, Converts)
{
    const NumberCase& c = GetParam();
    EXPECT_EQ(numberFromText(QString::fromUtf8(c.text), QString::fromUtf8(c.sep)), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NumberTextTest,
    ::testing::Values(
        // Blanks around the number are allowed, not inside it.
        NumberCase{" 023.5", ".", 23.5}, NumberCase{"-023.5 ", ".", -23.5},
        NumberCase{"\t12\t", ".", 12.0}, NumberCase{"- 12", ".", std::nullopt},
        NumberCase{"1 2", ".", std::nullopt}, NumberCase{"+7", ".", 7.0},
        NumberCase{"--1", ".", std::nullopt},
        // Only the given separator marks the fraction.
        NumberCase{"23,5", ",", 23.5}, NumberCase{"23.5", ",", std::nullopt},
        NumberCase{"23,5", ".", std::nullopt}, NumberCase{"2 dec 5", " dec ", 2.5},
        NumberCase{"23.5", "", std::nullopt}, NumberCase{"235", "", 235.0},
        // A separator at either end still makes a number, so an edit can be
        // typed through "5." on the way to "5.2".
        NumberCase{"5.", ".", 5.0}, NumberCase{".5", ".", 0.5}, NumberCase{"-.5", ".", -0.5},
        // Texts without digits, exponents, and the meter's non-digit glyphs.
        NumberCase{"", ".", std::nullopt}, NumberCase{"   ", ".", std::nullopt},
        NumberCase{"-", ".", std::nullopt}, NumberCase{".", ".", std::nullopt},
        NumberCase{"1E5", ".", std::nullopt}, NumberCase{" 01E5", ".", std::nullopt},
        NumberCase{" 0L ", ".", std::nullopt}, NumberCase{"----", ".", std::nullopt},
        NumberCase{"1.2.3", ".", std::nullopt}, NumberCase{"0x10", ".", std::nullopt}));

TEST(NumberText, ValueBeyondDoubleRangeIsNoNumber)
{
    EXPECT_FALSE(numberFromText(QString(400, QLatin1Char('9')), u".").has_value());
    EXPECT_EQ(numberFromText(QString(30, QLatin1Char('9')), u"."), 1e30);
}

} // namespace
