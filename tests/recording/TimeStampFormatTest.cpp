// Time stamps in the user's regional separators.
#include "recording/TimeStampFormat.h"
#include "recording/WallClock.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QLocale>

namespace {

TEST(TimeStampFormat, SeparatorsFollowTheLocale)
{
    const struct {
        QLocale::Language language;
        QLocale::Territory territory;
    } locales[] = {
        {QLocale::English, QLocale::UnitedStates}, {QLocale::German, QLocale::Germany},
        {QLocale::Dutch, QLocale::Netherlands},    {QLocale::Japanese, QLocale::Japan},
        {QLocale::Swedish, QLocale::Sweden},       {QLocale::Finnish, QLocale::Finland},
    };
    const QDateTime when(QDate(2024, 5, 6), QTime(9, 3, 7));
    for (const auto& l : locales) {
        const QLocale locale(l.language, l.territory);
        const TimeStampFormat format = TimeStampFormat::fromLocale(locale);
        // The separator appears in the locale's own short date of that day.
        const QString shortDate = locale.toString(when.date(), QLocale::ShortFormat);
        EXPECT_TRUE(shortDate.contains(format.dateSeparator)) << shortDate.toStdString();
        EXPECT_FALSE(format.dateSeparator.isEmpty());
        EXPECT_FALSE(format.timeSeparator.isEmpty());
        const QString stamp = format.text(when);
        EXPECT_TRUE(stamp.startsWith(QStringLiteral("2024") + format.dateSeparator + "05" +
                                     format.dateSeparator + "06_09"))
            << stamp.toStdString();
    }
    EXPECT_EQ(TimeStampFormat::fromLocale(QLocale(QLocale::German, QLocale::Germany)).text(when),
              QStringLiteral("2024.05.06_09:03:07"));
    EXPECT_EQ(
        TimeStampFormat::fromLocale(QLocale(QLocale::English, QLocale::UnitedStates)).text(when),
        QStringLiteral("2024/05/06_09:03:07"));
}

TEST(TimeStampFormat, TakesTheFirstRealSeparatorCharacter)
{
    const struct {
        const char16_t* date;
        const char16_t* time;
        const char16_t* stamp;
    } cases[] = {
        // Right-to-left locales put a mark before each separator.
        {u"d\u200F/M\u200F/yyyy", u"h:mm AP", u"2024/05/06_09:03:07"},
        {u"dd/MM/yyyy", u"AP h.mm", u"2024/05/06_09.03.07"},
        {u"yy. M. d.", u"'Kl'. H.mm", u"2024.05.06_09.03.07"},
        {u"'It''s' d|M|y", u"APh:mm", u"2024|05|06_09:03:07"},
        // No separator between numeric fields: the usual ones.
        {u"d MMM yyyy", u"HH 'h' mm", u"2024/05/06_09:03:07"},
        {u"yyyyMMdd", u"", u"2024/05/06_09:03:07"},
    };
    const QDateTime when(QDate(2024, 5, 6), QTime(9, 3, 7));
    for (const auto& c : cases)
        EXPECT_EQ(TimeStampFormat::fromFormats(c.date, c.time).text(when).toStdString(),
                  QString::fromUtf16(c.stamp).toStdString())
            << QString::fromUtf16(c.date).toStdString();
}

TEST(TimeStampFormat, EveryLocaleGivesNineteenCharactersInFieldOrder)
{
    const QDateTime when(QDate(2024, 5, 6), QTime(9, 3, 7));
    QStringList wrong;
    const QList<QLocale> locales =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    for (const QLocale& locale : locales) {
        const TimeStampFormat format = TimeStampFormat::fromLocale(locale);
        const QString stamp = format.text(when);
        const auto visible = [](const QString& sep) {
            return sep.size() == 1 && sep[0].isPrint() && !sep[0].isSpace() &&
                   !sep[0].isLetterOrNumber();
        };
        const QString& d = format.dateSeparator;
        const QString& t = format.timeSeparator;
        const QString expected = "2024" + d + "05" + d + "06_09" + t + "03" + t + "07";
        if (stamp.size() != 19 || stamp != expected || !visible(format.dateSeparator) ||
            !visible(format.timeSeparator) || !CompactTimeStamp::fromText(stamp))
            wrong << locale.name() + QLatin1Char(' ') + stamp;
    }
    EXPECT_GT(locales.size(), 300);
    EXPECT_TRUE(wrong.isEmpty()) << wrong.join(QLatin1Char('\n')).toStdString();
}

TEST(TimeStampFormat, CompactFormReadsBackEveryDayOfTheRange)
{
    // Every day from 1970 to 2105, at its last second, in '-' and '.'.
    for (QDate day(1970, 1, 1); day <= QDate(2105, 12, 31); day = day.addDays(1)) {
        const QString text = day.toString(QStringLiteral("yyyy-MM-dd")) + "_23.59.59";
        const auto stamp = CompactTimeStamp::fromText(text);
        ASSERT_TRUE(stamp.has_value()) << text.toStdString();
        ASSERT_EQ(stamp->text(), text);
    }
}

TEST(TimeStampFormat, TextsThatWouldNotReadBackAreNotCompact)
{
    for (const char* text : {"2024/05/06_09:03:0", "2024/05/06_09:03:077", "2024/05/06-09:03:07",
                             "2024/05.06_09:03:07", "2024/05/06_09:03.07", "2024/13/06_09:03:07",
                             "2023/02/29_09:03:07", "2024/05/06_09:60:07", "1969/12/31_23:59:59",
                             "2106/01/01_00:00:00", "２024/05/06_09:03:07", "2024105106_09:03:07"})
        EXPECT_FALSE(CompactTimeStamp::fromText(QString::fromUtf8(text)).has_value()) << text;
    EXPECT_TRUE(CompactTimeStamp::fromText(u"2024/02/29_00:00:00").has_value());
}

} // namespace

namespace {

TEST(WallClock, GivesTheLocalDateAndTime)
{
    WallClock clock;
    const QDateTime local = QDateTime::currentDateTime();
    const QDateTime fields = clock.now();
    const QDateTime asLocal(fields.date(), fields.time());
    EXPECT_LE(std::abs(asLocal.secsTo(local)), 2);
    // Repeated reads within the minute keep the same offset and move on.
    EXPECT_GE(clock.now(), fields);
}

} // namespace

namespace {

TEST(TimeStampFormat, LocaleWithoutNumericDateKeepsTheUsualSeparators)
{
    const TimeStampFormat format = TimeStampFormat::fromLocale(QLocale::c());
    EXPECT_EQ(format.text(QDateTime(QDate(2024, 5, 6), QTime(9, 3, 7))),
              QStringLiteral("2024/05/06_09:03:07"));
}

} // namespace
