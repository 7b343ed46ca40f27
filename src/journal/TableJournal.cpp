#include "journal/TableJournal.h"

#include "recording/ReadingTable.h"
#include "recording/ScheduleState.h"

TableJournal::TableJournal(ReadingTable& table, const ScheduleState& counters,
                           const QString& fileName, QObject* parent)
    : QObject(parent), table_(table), counters_(counters), writer_(table, fileName)
{
    connect(&table, &ReadingTable::rowsAppended, this, &TableJournal::rowsAppended);
    connect(&table, &ReadingTable::tableReplaced, this, &TableJournal::tableReplaced);
    connect(&tick_, &QTimer::timeout, this, &TableJournal::countersChanged);
}

void TableJournal::start()
{
    writer_.start();
    tick_.start(1000);
    tableReplaced(); // the rows present already
}

void TableJournal::rowsAppended()
{
    // Recording has moved the counters on before the row arrives.
    countersChanged();
    writer_.rowsAppended(table_.generation(), table_.rowCount());
}

void TableJournal::tableReplaced()
{
    countersChanged();
    writer_.tableReplaced();
}

void TableJournal::countersChanged()
{
    if (counters_.NextRecordNo == nextRecordNo_ && counters_.RecordCount == recordCount_)
        return;
    nextRecordNo_ = counters_.NextRecordNo;
    recordCount_ = counters_.RecordCount;
    writer_.setCounters(nextRecordNo_, recordCount_);
}
