// Judging readings against the limits, and the rules of the limit edits.
#include "protocol/Judgement.h"
#include "protocol/LimitEditRules.h"

#include <gtest/gtest.h>

namespace {

Verdict judge(const char* value, const char* lo, const char* hi, const char* sep = ".")
{
    return judgeReading(QString::fromUtf8(value), QString::fromUtf8(lo), QString::fromUtf8(hi),
                        QString::fromUtf8(sep));
}

TEST(Judgement, LimitsAreInclusive)
{
    EXPECT_EQ(judge(" 010.0", "10", "20"), Verdict::Pass);
    EXPECT_EQ(judge(" 020.0", "10", "20"), Verdict::Pass);
    EXPECT_EQ(judge(" 015.5", "10", "20"), Verdict::Pass);
    EXPECT_EQ(judge(" 009.9", "10", "20"), Verdict::Fail);
    EXPECT_EQ(judge(" 020.1", "10", "20"), Verdict::Fail);
    EXPECT_EQ(judge("-005.0", "-10", "-5"), Verdict::Pass);
}

TEST(Judgement, StartUpLimitsPassOnlyZero)
{
    EXPECT_EQ(judge(" 0000", "0", "0"), Verdict::Pass);
    EXPECT_EQ(judge("-000.0", "0", "0"), Verdict::Pass);
    EXPECT_EQ(judge(" 000.1", "0", "0"), Verdict::Fail);
}

TEST(Judgement, LowAboveHighFailsEverything)
{
    EXPECT_EQ(judge(" 015.0", "20", "10"), Verdict::Fail);
    EXPECT_EQ(judge(" 020.0", "20", "10"), Verdict::Fail);
}

TEST(Judgement, TextsThatAreNoNumberFail)
{
    for (const char* value : {" 0L ", "-0L ", "----", " 0 35", "", "-999999"})
        EXPECT_EQ(judge(value, "-1000000", "1000000"), Verdict::Fail) << value;
    EXPECT_EQ(judge(" 015.0", "abc", "20"), Verdict::Fail);
}

TEST(Judgement, UsesTheGivenSeparator)
{
    EXPECT_EQ(judge(" 015,5", "15,5", "15,5", ","), Verdict::Pass);
    EXPECT_EQ(judge(" 015.5", "10", "20", ","), Verdict::Fail);
}

TEST(Judgement, VerdictTexts)
{
    EXPECT_EQ(verdictText(Verdict::Pass), QStringLiteral("Pass"));
    EXPECT_EQ(verdictText(Verdict::Fail), QStringLiteral("Fail"));
}

TEST(LimitEditRules, KeyFilterLetsNumbersThrough)
{
    for (QChar c : QStringLiteral("0123456789-.\b"))
        EXPECT_TRUE(limitKeyAccepted(c, u".")) << c.unicode();
    for (QChar c : QStringLiteral("+eEaZ ,/"))
        EXPECT_FALSE(limitKeyAccepted(c, u".")) << c.unicode();
    EXPECT_TRUE(limitKeyAccepted(QLatin1Char(','), u","));
    EXPECT_FALSE(limitKeyAccepted(QLatin1Char('.'), u","));
    // Only the first character of a longer separator is a key.
    EXPECT_TRUE(limitKeyAccepted(QLatin1Char('d'), u"dec"));
    EXPECT_FALSE(limitKeyAccepted(QLatin1Char('e'), u"dec"));
    // With no separator known, no fraction can be typed.
    EXPECT_FALSE(limitKeyAccepted(QLatin1Char('.'), u""));
}

TEST(LimitEditRules, RepairKeepsNumbersAndMendsTheRest)
{
    for (const char* text : {"0", "-5", "12.5", "5.", " 7 "})
        EXPECT_FALSE(repairLimitText(QString::fromUtf8(text), u".").has_value()) << text;

    const auto minus = repairLimitText(u" - ", u".");
    ASSERT_TRUE(minus.has_value());
    EXPECT_EQ(minus->text, QStringLiteral("-0"));
    EXPECT_EQ(minus->selectionStart, 1);
    EXPECT_EQ(minus->selectionLength, 1);

    for (const char* text : {"", "abc", "1e5", "-.", "1,5"}) {
        const auto repaired = repairLimitText(QString::fromUtf8(text), u".");
        ASSERT_TRUE(repaired.has_value()) << text;
        EXPECT_EQ(repaired->text, QStringLiteral("0"));
        EXPECT_EQ(repaired->selectionStart, 0);
        EXPECT_EQ(repaired->selectionLength, 1);
    }
}

} // namespace
