#pragma once

#include "recording/ChangeList.h"
#include "recording/ReadingRow.h"
#include "recording/ReadingStore.h"

#include <mutex>

class ReadingTable;

// The rows a save covers: those a table held when the user confirmed the
// dialog, with the change list of that moment. Readings go on being
// recorded meanwhile, so a writer on a worker thread reads the rows in
// batches under the table's lock; rows are only ever appended, and a table
// emptied or replaced since (its generation changed) ends the read.
class RowSource {
public:
    // All rows of a store no other thread changes.
    explicit RowSource(const ReadingStore& store);
    // The rows present now of a table that may grow meanwhile.
    explicit RowSource(const ReadingTable& table);

    int rowCount() const { return rowCount_; }
    const ChangeList& changes() const { return changes_; }

    // Calls f(const ReadingStore&, int row) for rows first..first+count-1,
    // during which f may read that row and the store's pool. False when the
    // table no longer holds the rows.
    template <typename F> bool read(int first, int count, F&& f) const
    {
        std::unique_lock<std::mutex> lock;
        if (table_ && !lockedStillThere(lock))
            return false;
        for (int r = first; r < first + count; ++r)
            f(store_, r);
        return true;
    }

private:
    bool lockedStillThere(std::unique_lock<std::mutex>& lock) const;

    const ReadingStore& store_;
    const ReadingTable* table_ = nullptr;
    int rowCount_ = 0;
    quint64 generation_ = 0;
    ChangeList changes_;
};
