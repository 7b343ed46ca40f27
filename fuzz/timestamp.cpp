// The time-stamp text form "yyyy/mm/dd_hh:mm:ss" and its compact form.
//
// Input layout (all parts optional; what is missing counts as zero):
//   bytes 0-1   year (unsigned 16-bit), bytes 2-6 month, day, hour, minute,
//               second (taken modulo a little beyond their ranges)
//   bytes 7-10  date and time separator, one UTF-16 unit each
//   byte 11     a locale (language number) whose separators are used too
//   the whole input, read as UTF-16 units, is also tried as a stamp text
//
// A text that reads as a compact stamp gives back exactly that text. A
// moment's compact form reads the same as the text form, and its text reads
// back as the same compact stamp unless a separator is a digit.
#include "FuzzCheck.h"
#include "FuzzInput.h"

#include "recording/TimeStampFormat.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <cstdint>

namespace {

int byteAt(const uint8_t* data, size_t size, size_t i)
{
    return i < size ? data[i] : 0;
}

void checkText(const QString& text)
{
    const std::optional<CompactTimeStamp> stamp = CompactTimeStamp::fromText(text);
    if (stamp)
        FUZZ_CHECK(stamp->text() == text);
}

void checkMoment(const QDateTime& when, const TimeStampFormat& format)
{
    const QString text = format.text(when);
    checkText(text);
    const std::optional<CompactTimeStamp> stamp = CompactTimeStamp::fromDateTime(when, format);
    if (!stamp)
        return;
    FUZZ_CHECK(stamp->text() == text);
    FUZZ_CHECK(text.size() == 19);
    const std::optional<CompactTimeStamp> reread = CompactTimeStamp::fromText(text);
    if (stamp->dateSeparator.isDigit() || stamp->timeSeparator.isDigit()) {
        FUZZ_CHECK(!reread);
        return;
    }
    FUZZ_CHECK(reread && reread->seconds == stamp->seconds &&
               reread->dateSeparator == stamp->dateSeparator &&
               reread->timeSeparator == stamp->timeSeparator);
}

// The separators of a locale, worked out once per language: building a
// locale costs more than everything else the target does.
const TimeStampFormat& localeFormat(quint8 language)
{
    static std::optional<TimeStampFormat> formats[256];
    std::optional<TimeStampFormat>& format = formats[language];
    if (!format)
        format = TimeStampFormat::fromLocale(
            QLocale(QLocale::Language(language % (QLocale::LastLanguage + 1))));
    return *format;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput units(data, size);
    checkText(units.units(int(size / 2)));
    checkText(QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size)));

    const int year = byteAt(data, size, 0) | byteAt(data, size, 1) << 8;
    const QDate date(year, byteAt(data, size, 2) % 14, byteAt(data, size, 3) % 33);
    const QTime time(byteAt(data, size, 4) % 25, byteAt(data, size, 5) % 61,
                     byteAt(data, size, 6) % 61);
    const QDateTime when(date, time);

    TimeStampFormat format;
    if (size >= 11) {
        format.dateSeparator = QChar(char16_t(data[7] | data[8] << 8));
        format.timeSeparator = QChar(char16_t(data[9] | data[10] << 8));
    }
    checkMoment(when, format);
    checkMoment(when, TimeStampFormat{});
    if (size >= 12)
        checkMoment(when, localeFormat(data[11]));
    return 0;
}
