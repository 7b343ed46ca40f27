#include "files/StagedTable.h"

#include "recording/ReadingTable.h"

void applyStaged(ReadingTable& table, StagedTable staged)
{
    if (staged.apply == StagedTable::Apply::Replace)
        table.replaceAll(std::move(staged.rows));
    else
        table.appendAllFromFile(std::move(staged.rows));
}
