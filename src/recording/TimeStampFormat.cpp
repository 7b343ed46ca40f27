#include "recording/TimeStampFormat.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>

namespace {

constexpr qint64 kUnixEpochJulianDay = 2440588; // 1970-01-01
constexpr int kFirstYear = 1970;
constexpr int kLastYear = 2105; // the last whole year that fits 32-bit seconds
constexpr int kStampLength = 19;

// Letters of the numeric fields of a date or time format. Other letters
// (AM/PM markers "AP" and "a", time zones, words some locales leave
// unquoted) are not fields.
bool isNumericField(QChar c)
{
    return QStringView(u"dMyhHmsz").contains(c);
}

// The one character a date or time format puts after its first numeric
// field: blanks and invisible bidirectional marks (right-to-left locales
// write "d\u200F/M\u200F/yyyy") are passed over, and so are quoted words and
// whatever comes before that field ("AP h.mm", "'Kl'. H.mm"). Null when the
// field is followed by a letter or a digit, or by nothing (a date written
// with a month name, as "d MMM yyyy", or a time like "HH 'h' mm").
QChar firstSeparator(QStringView format)
{
    qsizetype i = 0;
    const auto skipQuoted = [&] {
        const qsizetype close = format.indexOf(u'\'', i + 1);
        i = close < 0 ? format.size() : close + 1;
    };
    while (i < format.size() && !isNumericField(format.at(i))) {
        if (format.at(i) == u'\'')
            skipQuoted();
        else
            ++i;
    }
    if (i == format.size())
        return QChar();
    const QChar field = format.at(i);
    while (i < format.size() && format.at(i) == field)
        ++i;
    while (i < format.size()) {
        const QChar c = format.at(i);
        if (c == u'\'')
            skipQuoted();
        else if (c.isSpace() || c.category() == QChar::Other_Format)
            ++i;
        else if (c.isLetterOrNumber() || c.isSurrogate())
            return QChar();
        else
            return c;
    }
    return QChar();
}

void putTwoDigits(QChar* out, int value)
{
    out[0] = QChar(u'0' + value / 10);
    out[1] = QChar(u'0' + value % 10);
}

// Digits of a fixed-width decimal field; -1 if any character is not 0-9.
int readDigits(QStringView text, int from, int count)
{
    int value = 0;
    for (int i = from; i < from + count; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

std::optional<CompactTimeStamp> compact(int year, int month, int day, int hour, int minute,
                                        int second, QChar dateSep, QChar timeSep)
{
    if (year < kFirstYear || year > kLastYear || !QDate::isValid(year, month, day) ||
        !QTime::isValid(hour, minute, second))
        return std::nullopt;
    const qint64 days = QDate(year, month, day).toJulianDay() - kUnixEpochJulianDay;
    CompactTimeStamp stamp;
    stamp.seconds = static_cast<quint32>(days * 86400 + hour * 3600 + minute * 60 + second);
    stamp.dateSeparator = dateSep;
    stamp.timeSeparator = timeSep;
    return stamp;
}

} // namespace

TimeStampFormat TimeStampFormat::fromLocale(const QLocale& locale)
{
    return fromFormats(locale.dateFormat(QLocale::ShortFormat),
                       locale.timeFormat(QLocale::ShortFormat));
}

TimeStampFormat TimeStampFormat::fromFormats(QStringView dateFormat, QStringView timeFormat)
{
    TimeStampFormat format;
    const QChar date = firstSeparator(dateFormat);
    const QChar time = firstSeparator(timeFormat);
    if (!date.isNull())
        format.dateSeparator = date;
    if (!time.isNull())
        format.timeSeparator = time;
    return format;
}

QString TimeStampFormat::text(const QDateTime& when) const
{
    if (const auto stamp = CompactTimeStamp::fromDateTime(when, *this))
        return stamp->text();
    const QDate d = when.date();
    const QTime t = when.time();
    const auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    return QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0')) + dateSeparator +
           two(d.month()) + dateSeparator + two(d.day()) + u'_' + two(t.hour()) + timeSeparator +
           two(t.minute()) + timeSeparator + two(t.second());
}

std::optional<CompactTimeStamp> CompactTimeStamp::fromText(QStringView text)
{
    // yyyy D mm D dd _ hh T mm T ss    (D, T: one character each)
    // 0    4 5  7 8  10 11 13 14 16 17
    if (text.size() != kStampLength || text.at(10) != u'_' || text.at(4) != text.at(7) ||
        text.at(13) != text.at(16))
        return std::nullopt;
    const QChar dateSep = text.at(4);
    const QChar timeSep = text.at(13);
    // A digit as separator would make the text ambiguous to read back.
    if (dateSep.isDigit() || timeSep.isDigit())
        return std::nullopt;
    const int year = readDigits(text, 0, 4);
    const int month = readDigits(text, 5, 2);
    const int day = readDigits(text, 8, 2);
    const int hour = readDigits(text, 11, 2);
    const int minute = readDigits(text, 14, 2);
    const int second = readDigits(text, 17, 2);
    if (year < 0 || month < 0 || day < 0 || hour < 0 || minute < 0 || second < 0)
        return std::nullopt;
    return compact(year, month, day, hour, minute, second, dateSep, timeSep);
}

std::optional<CompactTimeStamp> CompactTimeStamp::fromDateTime(const QDateTime& when,
                                                               const TimeStampFormat& format)
{
    if (format.dateSeparator.size() != 1 || format.timeSeparator.size() != 1)
        return std::nullopt;
    const QDate d = when.date();
    const QTime t = when.time();
    return compact(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(),
                   format.dateSeparator.at(0), format.timeSeparator.at(0));
}

QString CompactTimeStamp::text() const
{
    const qint64 days = seconds / 86400;
    const int inDay = static_cast<int>(seconds % 86400);
    int year = 0, month = 0, day = 0;
    QDate::fromJulianDay(days + kUnixEpochJulianDay).getDate(&year, &month, &day);

    QString out(kStampLength, Qt::Uninitialized);
    QChar* p = out.data();
    putTwoDigits(p, year / 100);
    putTwoDigits(p + 2, year % 100);
    p[4] = dateSeparator;
    putTwoDigits(p + 5, month);
    p[7] = dateSeparator;
    putTwoDigits(p + 8, day);
    p[10] = u'_';
    putTwoDigits(p + 11, inDay / 3600);
    p[13] = timeSeparator;
    putTwoDigits(p + 14, inDay / 60 % 60);
    p[16] = timeSeparator;
    putTwoDigits(p + 17, inDay % 60);
    return out;
}
