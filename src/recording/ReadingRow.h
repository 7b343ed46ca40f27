#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <optional>

// The six fields of a reading table row, in table order. The order matters:
// text files fill fields by position and XML packets list them in this order.
enum class ReadingField { ANo, ATime, AT1T2, AValue, AUnit, AJudge };

constexpr int kReadingFieldCount = 6;

// Row state of rows added by recording or by a text import.
constexpr qint32 kRowStateAdded = 4;

// "ANo", "ATime", ...
QString readingFieldName(ReadingField field);

// Field by name, without regard to case ("avalue" finds AValue).
std::optional<ReadingField> readingFieldByName(QStringView name);

// One row as its texts. An empty text and a missing text are the same; a
// missing record number is an empty optional.
struct ReadingRow {
    std::optional<qint32> no;
    QString time;
    QString channel;
    QString value;
    QString unit;
    QString judge;

    // Field text as the grid and text files show it (ANo in decimal).
    QString text(ReadingField field) const;

    bool operator==(const ReadingRow& other) const;
    bool operator!=(const ReadingRow& other) const { return !(*this == other); }
};
