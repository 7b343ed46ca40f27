#pragma once

#include "recording/ReadingStore.h"

#include <QByteArray>
#include <QString>

// Paths and tables shared by the table file tests.
namespace fixtures {

QString dataPath(const QString& name); // under tests/files/data
QByteArray fileBytes(const QString& path);

// Three recorded rows (row state 4, change list 1 0 4 2 0 4 3 0 4).
ReadingStore threeRecorded();
// Rows from a text file with a leading blank, an empty judgement, the degree
// sign, a surrogate pair, no record number and every escaped character.
ReadingStore mixedRows();

} // namespace fixtures

#include <ostream>

// Readable rows in test failures.
inline void PrintTo(const ReadingRow& row, std::ostream* os)
{
    *os << "{" << (row.no ? std::to_string(*row.no) : std::string("none"));
    for (const QString* t : {&row.time, &row.channel, &row.value, &row.unit, &row.judge})
        *os << ", \"" << t->toStdString() << "\"";
    *os << "}";
}
