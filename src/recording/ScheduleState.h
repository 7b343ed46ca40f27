#pragma once

#include <QString>
#include <QtGlobal>

// Recording part of the logger's shared run-time state.
struct ScheduleState {
    qint32 NextRecordNo = 0;    // ANo of the next record; start-up sets 1
    qint32 RecordCount = 0;     // records appended since start or "New"
    qint32 RecordLimit = 0;     // start-up sets 10000
    qint32 SampleCountdown = 0; // whole seconds until the next reading is due
    QString LastRecordedKey;    // ValueText + UnitText of the last record
};
