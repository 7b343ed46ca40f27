#include "files/RowSource.h"

#include "recording/ReadingTable.h"

RowSource::RowSource(const ReadingStore& store)
    : store_(store), rowCount_(store.rowCount()), changes_(store.changes())
{
}

RowSource::RowSource(const ReadingTable& table)
    : store_(table.rows()), table_(&table), rowCount_(table.rowCount()),
      generation_(table.generation()), changes_(table.changes())
{
}

bool RowSource::lockedStillThere(std::unique_lock<std::mutex>& lock) const
{
    lock = std::unique_lock<std::mutex>(table_->rowsLock());
    return table_->generation() == generation_ && table_->rows().rowCount() >= rowCount_;
}
