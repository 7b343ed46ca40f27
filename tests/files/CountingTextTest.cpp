#include "files/CountingText.h"

#include <QByteArray>

#include <gtest/gtest.h>

namespace {

// The text with the padding a reader's buffer has after it.
bool matches(const CountingText& text, const QByteArray& bytes)
{
    const QByteArray padded = bytes + QByteArray(16, '\xFF');
    return text.matches(padded.constData());
}

TEST(CountingText, CountsUpAcrossEveryNumberOfDigits)
{
    const struct {
        qint64 first;
        const char* suffix;
    } cases[] = {{0, " 0 4"}, {8, "\t"}, {98, " 0 4"}, {999999, "\t\t"}, {99999999, "\t"},
                 {CountingText::kMax - 2, " 0 4"}};
    for (const auto& c : cases) {
        CountingText text;
        text.restart(c.first, c.suffix);
        for (qint64 n = c.first; n <= std::min(c.first + 25, CountingText::kMax); ++n) {
            const QByteArray expected = QByteArray::number(n) + c.suffix;
            ASSERT_TRUE(text.valid()) << n;
            EXPECT_EQ(text.number(), n);
            EXPECT_EQ(text.size(), expected.size()) << n;
            EXPECT_TRUE(matches(text, expected + "x")) << n;
            EXPECT_FALSE(matches(text, QByteArray::number(n + 1) + c.suffix)) << n;
            EXPECT_FALSE(matches(text, expected.left(expected.size() - 1) + "?")) << n;
            text.step();
        }
        if (c.first + 25 >= CountingText::kMax) {
            EXPECT_FALSE(text.valid());
        }
    }
    CountingText tooLong;
    tooLong.restart(1234567890, "1234567");
    EXPECT_FALSE(tooLong.valid());
    EXPECT_FALSE(matches(tooLong, "12345678901234567"));
}

} // namespace
