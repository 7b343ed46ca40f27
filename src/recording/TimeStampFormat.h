#pragma once

#include <QChar>
#include <QString>
#include <QtGlobal>

#include <optional>

class QDateTime;
class QLocale;

// Time stamps of the reading table: "yyyy/mm/dd_hh:mm:ss", every part
// zero-padded, where '/' stands for the user's date separator and ':' for the
// time separator (for example 2024/05/06_09:03:07 or 2024.05.06_09:03:07).
struct TimeStampFormat {
    QString dateSeparator = QStringLiteral("/");
    QString timeSeparator = QStringLiteral(":");

    // The first separator character of the locale's short date and time
    // formats; '/' and ':' where a format has none.
    static TimeStampFormat fromLocale(const QLocale& locale);
    static TimeStampFormat fromFormats(QStringView dateFormat, QStringView timeFormat);

    QString text(const QDateTime& when) const;
};

// A time stamp of the canonical form with one-character separators, held as
// whole seconds so that a large table stores four bytes instead of a text.
// Only stamps that come back as exactly the same text are canonical.
struct CompactTimeStamp {
    quint32 seconds = 0; // since 1970-01-01 00:00:00 of the wall clock, no zone
    QChar dateSeparator;
    QChar timeSeparator;

    // The compact form of a text, if the text is a canonical stamp of a year
    // from 1970 to 2105.
    static std::optional<CompactTimeStamp> fromText(QStringView text);
    // The compact form of a wall-clock moment with these separators, if they
    // are one character each and the year is in range.
    static std::optional<CompactTimeStamp> fromDateTime(const QDateTime& when,
                                                        const TimeStampFormat& format);

    QString text() const;
};
