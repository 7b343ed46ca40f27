#pragma once

#include "journal/JournalWriter.h"

#include <QObject>
#include <QTimer>

class ReadingTable;
struct ScheduleState;

// Keeps a journal of a reading table and the session's counters: follows
// the table's notices and hands them to a JournalWriter, which does all the
// work on its own thread. Appended rows go as "rows up to N"; a table
// replaced, emptied or changed in bulk goes as a rewrite, which the writer
// reads from the table in chunks. NextRecordNo and RecordCount are plain
// fields of the session's state, so they are looked at on every notice and
// on a one-second tick, and handed over when they changed. The table and
// the state must outlive this object; on the GUI thread only.
class TableJournal : public QObject {
    Q_OBJECT

public:
    TableJournal(ReadingTable& table, const ScheduleState& counters, const QString& fileName,
                 QObject* parent = nullptr);

    JournalWriter& writer() { return writer_; }

    // Starts journaling with the rows present: connect to the writer first.
    void start();

    // Hands the counters over now if they changed (also done every second).
    void countersChanged();

private:
    void rowsAppended();
    void tableReplaced();

    ReadingTable& table_;
    const ScheduleState& counters_;
    JournalWriter writer_;
    QTimer tick_;
    qint32 nextRecordNo_ = -1, recordCount_ = -1; // as last handed over
};
