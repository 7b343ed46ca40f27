#pragma once

#include "recording/ReadingRow.h"

class ReadingStore;

// The rows a report lists, read one at a time while pages are drawn, so that
// no page needs a copy of the table.
class ReportRows {
public:
    virtual ~ReportRows() = default;
    virtual int rowCount() const = 0;
    virtual ReadingRow row(int index) const = 0; // 0 <= index < rowCount()
};

// The rows a reading table holds when the report is generated. Rows recorded
// afterwards are not listed; should the table lose rows (emptied or replaced)
// the rows it no longer has read as empty instead of out of range.
class TableReportRows : public ReportRows {
public:
    explicit TableReportRows(const ReadingStore& store);

    int rowCount() const override { return count_; }
    ReadingRow row(int index) const override;

private:
    const ReadingStore& store_;
    int count_;
};
