#include "recording/ReadingTable.h"

#include <algorithm>
#include <utility>

ReadingTable::ReadingTable(QObject* parent) : QObject(parent) {}

void ReadingTable::setCurrentRow(int row)
{
    const int clamped = store_.isEmpty() ? -1 : std::clamp(row, 0, store_.rowCount() - 1);
    if (clamped == current_)
        return;
    current_ = clamped;
    if (bulkDepth_ == 0)
        emit currentRowChanged(current_);
}

void ReadingTable::rowAdded()
{
    const int last = store_.rowCount() - 1;
    if (bulkDepth_ > 0) {
        current_ = last;
        return;
    }
    emit rowsAppended(last, last);
    setCurrentRow(last);
}

void ReadingTable::appendRecorded(qint32 no, const QDateTime& when, const QString& channel,
                                  const QString& value, const QString& unit, const QString& judge)
{
    {
        const std::lock_guard<std::mutex> lock(rowsLock_);
        store_.appendRecorded(no, when, format_, channel, value, unit, judge);
    }
    rowAdded();
}

void ReadingTable::appendFromFile(const ReadingRow& row)
{
    {
        const std::lock_guard<std::mutex> lock(rowsLock_);
        store_.appendRow(row);
    }
    rowAdded();
}

void ReadingTable::replaced(int current)
{
    current_ = store_.isEmpty() ? -1 : current;
    if (bulkDepth_ > 0)
        return;
    emit tableReplaced();
    emit currentRowChanged(current_);
}

void ReadingTable::replaceAll(ReadingStore rows)
{
    ReadingStore old;
    {
        const std::lock_guard<std::mutex> lock(rowsLock_);
        old = std::exchange(store_, std::move(rows));
        ++generation_;
    }
    replaced(0);
}

void ReadingTable::appendAllFromFile(ReadingStore rows)
{
    if (rows.isEmpty())
        return;
    {
        const std::lock_guard<std::mutex> lock(rowsLock_);
        store_.appendRowsOf(std::move(rows));
    }
    current_ = store_.rowCount() - 1;
    if (bulkDepth_ > 0)
        return;
    emit tableReplaced();
    emit currentRowChanged(current_);
}

void ReadingTable::clear()
{
    {
        const std::lock_guard<std::mutex> lock(rowsLock_);
        store_.clear();
        ++generation_;
    }
    replaced(-1);
}

void ReadingTable::beginBulkUpdate()
{
    ++bulkDepth_;
}

void ReadingTable::endBulkUpdate()
{
    if (bulkDepth_ == 0 || --bulkDepth_ > 0)
        return;
    emit tableReplaced();
    emit currentRowChanged(current_);
}
