#pragma once

#include "recording/ReadingStore.h"

#include <QDateTime>
#include <QString>

// What a left-over journal holds, for offering it back.
struct JournalSummary {
    QString fileName;
    QDateTime started, ended; // invalid when the file cannot say
    qint64 rowCount = 0;
    QString error; // why the file cannot be read; empty when it can
};

// A journal read back: the table's store (rows, row states, change list) as
// journaled, and the counters.
struct RestoredJournal {
    bool ok = false; // false: nothing restored, message says why
    ReadingStore rows;
    qint32 nextRecordNo = 1;
    qint32 recordCount = 0;
    QString message; // empty when all was read; else what was lost, or why nothing
};

// Both open the file read-only and never change it. A damaged file gives
// every row SQLite can still read, or a message; neither throws or crashes.
JournalSummary readJournalSummary(const QString& fileName);
RestoredJournal restoreJournal(const QString& fileName);
