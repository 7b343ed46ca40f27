#pragma once

#include "recording/ReadingStore.h"

#include <QString>

class ReadingTable;

// A file read whole and checked, before it touches the table: a text file's
// rows to append, or a packet's rows, row states and change list to replace
// the table with. Only a read without any error gives one.
struct StagedTable {
    enum class Apply { Append, Replace };
    Apply apply = Apply::Append;
    ReadingStore rows;
};

// What reading a file gave: the staged table, or why there is none.
struct LoadOutcome {
    bool ok = false;
    bool cancelled = false;
    QString error; // for the log of a test or a fuzz run; the user sees one fixed text
    StagedTable staged;

    static LoadOutcome failure(QString why)
    {
        LoadOutcome out;
        out.error = std::move(why);
        return out;
    }
};

// Changes the table at once: appends the rows (the last becomes current) or
// replaces the table (the first becomes current).
void applyStaged(ReadingTable& table, StagedTable staged);
