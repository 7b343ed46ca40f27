#pragma once

#include "print/ReportRows.h"

// Rows made up on request, so a report of ten million rows needs no table.
// Row i: number i + 1, a fixed stamp, T1, a value, "#-K" and "Pass" (the
// judgement left empty on every tenth row).
class SyntheticRows : public ReportRows {
public:
    explicit SyntheticRows(int count) : count_(count) {}

    int rowCount() const override { return count_; }
    ReadingRow row(int index) const override
    {
        ++reads;
        ReadingRow r;
        r.no = index + 1;
        r.time = QStringLiteral("2024/05/06_09:03:07");
        r.channel = QStringLiteral("T1");
        r.value = QStringLiteral(" %1.5").arg(index % 1000);
        r.unit = QStringLiteral("#-K");
        r.judge = index % 10 == 9 ? QString() : QStringLiteral("Pass");
        return r;
    }

    mutable qint64 reads = 0;

private:
    int count_;
};
