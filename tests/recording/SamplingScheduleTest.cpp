// When a reading becomes a record, how records are numbered, and the
// interval countdown.
#include "recording/SamplingSchedule.h"
#include "recording/IntervalText.h"
#include "recording/ReadingTable.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using schedule::Outcome;

class ScheduleTest : public ::testing::Test {
protected:
    ScheduleTest()
    {
        state.NextRecordNo = 1;
        state.RecordLimit = 10000;
    }

    // One reading through the per-reading step; true if it reached the chart.
    bool reading(const QString& value, const QString& unit = QStringLiteral("#-K"),
                 const QString& channel = QStringLiteral("T1"))
    {
        const ReadingTexts texts{channel, value, unit, judge};
        const auto decision = schedule::recordReading(state, settings, texts, table, [] {
            return QDateTime(QDate(2024, 5, 6), QTime(9, 3, 7));
        });
        return decision.toChart();
    }

    QList<qint32> numbers() const
    {
        QList<qint32> out;
        for (int r = 0; r < table.rowCount(); ++r)
            out.append(*table.rows().number(r));
        return out;
    }

    ScheduleState state;
    ScheduleSettings settings;
    ReadingTable table;
    QString judge = QStringLiteral("Pass");
};

TEST_F(ScheduleTest, FirstReadingAfterStartIsRecordNumberOne)
{
    EXPECT_TRUE(reading(QStringLiteral(" 023.5")));
    ASSERT_EQ(table.rowCount(), 1);
    const ReadingRow row = table.rows().row(0);
    EXPECT_EQ(row.no, 1);
    EXPECT_EQ(row.time, QStringLiteral("2024/05/06_09:03:07"));
    EXPECT_EQ(row.channel, QStringLiteral("T1"));
    EXPECT_EQ(row.value, QStringLiteral(" 023.5"));
    EXPECT_EQ(row.unit, QStringLiteral("#-K"));
    EXPECT_EQ(row.judge, QStringLiteral("Pass"));
    EXPECT_EQ(state.RecordCount, 1);
    EXPECT_EQ(state.NextRecordNo, 2);
    EXPECT_EQ(state.LastRecordedKey, QStringLiteral(" 023.5#-K"));
    EXPECT_EQ(state.SampleCountdown, 1); // reloaded from the interval
}

TEST_F(ScheduleTest, IntervalOnWaitsForTheCountdownButChartsEveryReading)
{
    settings.interval = 5;
    reading(QStringLiteral("1"));
    for (int second = 0; second < 5; ++second) {
        EXPECT_TRUE(reading(QStringLiteral("2"))); // not due, still charted
        schedule::tick(state, settings.intervalOn);
    }
    EXPECT_EQ(table.rowCount(), 1);
    EXPECT_EQ(state.NextRecordNo, 2); // not-due readings are not numbered
    reading(QStringLiteral("3"));
    EXPECT_EQ(numbers(), (QList<qint32>{1, 2}));
}

TEST_F(ScheduleTest, IntervalOffOrZeroOrEmptyRecordsEveryReading)
{
    const auto everyReadingRecorded = [this](bool on, const QString& edit) {
        table.clear();
        state = ScheduleState{};
        state.NextRecordNo = 1;
        state.RecordLimit = 10000;
        settings.intervalOn = on;
        settings.interval = interval::value(edit);
        for (int i = 0; i < 4; ++i)
            reading(QString::number(i));
        return table.rowCount() == 4;
    };
    EXPECT_TRUE(everyReadingRecorded(false, QStringLiteral("5")));
    EXPECT_TRUE(everyReadingRecorded(true, QStringLiteral("0")));
    EXPECT_TRUE(everyReadingRecorded(true, QString()));
}

TEST_F(ScheduleTest, CountdownStandsStillWhileIntervalOffAndRestartsFullAfterARecord)
{
    settings.interval = 3;
    settings.intervalOn = false;
    reading(QStringLiteral("1")); // recorded while off: reloads the countdown
    schedule::tick(state, false);
    schedule::tick(state, false);
    EXPECT_EQ(state.SampleCountdown, 3);
    settings.intervalOn = true;
    EXPECT_TRUE(reading(QStringLiteral("2")));
    EXPECT_EQ(table.rowCount(), 1);
    schedule::tick(state, true);
    EXPECT_EQ(state.SampleCountdown, 2);
}

TEST_F(ScheduleTest, RepeatsSkippedLeaveGapsInTheNumbers)
{
    settings.recordRepeats = false;
    settings.intervalOn = false;
    reading(QStringLiteral(" 020.0"));
    reading(QStringLiteral(" 020.0"));
    reading(QStringLiteral(" 020.0"), QStringLiteral("#-K"),
            QStringLiteral("T2"));                            // channel ignored
    reading(QStringLiteral(" 020.0"), QStringLiteral("?-K")); // the unit counts
    reading(QStringLiteral(" 020.0"), QStringLiteral("?-K"));
    reading(QStringLiteral(" 021.0"), QStringLiteral("?-K"));
    EXPECT_EQ(numbers(), (QList<qint32>{1, 4, 6}));
    EXPECT_EQ(state.RecordCount, 3);
    EXPECT_EQ(state.NextRecordNo, 7);
}

TEST_F(ScheduleTest, RepeatSkippedDoesNotReloadTheCountdown)
{
    settings.recordRepeats = false;
    settings.interval = 4;
    reading(QStringLiteral("1"));
    for (int i = 0; i < 4; ++i)
        schedule::tick(state, true);
    reading(QStringLiteral("1"));
    EXPECT_EQ(state.SampleCountdown, 0);
    reading(QStringLiteral("2")); // still due at once
    EXPECT_EQ(numbers(), (QList<qint32>{1, 3}));
}

TEST_F(ScheduleTest, LimitStopsTableChartAndNumberingSilently)
{
    settings.intervalOn = false;
    state.RecordLimit = 3;
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(reading(QString::number(i)));
    EXPECT_FALSE(reading(QStringLiteral("9")));
    EXPECT_EQ(table.rowCount(), 3);
    EXPECT_EQ(state.NextRecordNo, 4);

    state.RecordLimit = 5; // raised: the next reading goes in
    EXPECT_TRUE(reading(QStringLiteral("9")));
    EXPECT_EQ(numbers(), (QList<qint32>{1, 2, 3, 4}));

    state.RecordLimit = 2; // lowered below the count: stops, removes nothing
    EXPECT_FALSE(reading(QStringLiteral("10")));
    EXPECT_EQ(table.rowCount(), 4);
}

TEST_F(ScheduleTest, NewRestartsNumberingButKeepsCountdownAndLastKey)
{
    settings.recordRepeats = false;
    settings.interval = 7;
    reading(QStringLiteral("5"));
    reading(QStringLiteral("6"));
    table.clear();
    schedule::restartNumbering(state);
    EXPECT_EQ(state.NextRecordNo, 1);
    EXPECT_EQ(state.RecordCount, 0);
    EXPECT_EQ(state.SampleCountdown, 7);
    EXPECT_EQ(state.LastRecordedKey, QStringLiteral("5#-K"));
}

TEST_F(ScheduleTest, RecordNumbersWrapInsteadOfOverflowing)
{
    settings.intervalOn = false;
    state.NextRecordNo = std::numeric_limits<qint32>::max();
    reading(QStringLiteral("1"));
    EXPECT_EQ(table.rows().number(0), std::numeric_limits<qint32>::max());
    EXPECT_EQ(state.NextRecordNo, std::numeric_limits<qint32>::min());
}

TEST(IntervalText, ValueOfTheEditText)
{
    const struct {
        const char* text;
        qint32 value;
    } cases[] = {
        {"", 0},
        {"-", 0},
        {"+", 0},
        {"1", 1},
        {"0005", 5},
        {"2147483647", 2147483647},
        {"2147483648", 2147483647},
        {"99999999999999999999", 2147483647},
        {"1a2", 12},
    };
    for (const auto& c : cases)
        EXPECT_EQ(interval::value(QString::fromLatin1(c.text)), c.value) << c.text;
}

TEST(IntervalText, OnlyDigitsAndBackspaceAreTyped)
{
    for (char16_t c = u'0'; c <= u'9'; ++c)
        EXPECT_TRUE(interval::acceptsKey(QChar(c)));
    EXPECT_TRUE(interval::acceptsKey(QChar(8)));
    for (char16_t c : {u'-', u'+', u' ', u'.', u'a', u'\u0663' /* Arabic-Indic three */})
        EXPECT_FALSE(interval::acceptsKey(QChar(c)));
    EXPECT_EQ(interval::digitsOnly(QStringLiteral(" 1,5 s")), QStringLiteral("15"));
}

} // namespace
