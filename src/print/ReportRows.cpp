#include "print/ReportRows.h"

#include "recording/ReadingStore.h"

TableReportRows::TableReportRows(const ReadingStore& store)
    : store_(store), count_(store.rowCount())
{
}

ReadingRow TableReportRows::row(int index) const
{
    if (index < 0 || index >= store_.rowCount())
        return {};
    return store_.row(index);
}
