#pragma once

#include "recording/ScheduleState.h"

#include <QDateTime>

#include <functional>

class ReadingTable;

// What the user set in the row above the grid.
struct ScheduleSettings {
    bool intervalOn = true;    // RecordSI: when off, every reading is due
    qint32 interval = 1;       // RecordSITime, whole seconds
    bool recordRepeats = true; // RepeatSet: when off, a reading equal to the last record is skipped
};

// The reading as the readout shows it, as it goes into a row.
struct ReadingTexts {
    const QString& channel;
    const QString& value;
    const QString& unit;
    const QString& judge;
};

// Decides, per reading, whether it becomes a record, numbers the records and
// counts the interval down. Works on the schedule part of the logger state.
namespace schedule {

enum class Outcome {
    LimitReached, // nothing at all: no record, no number, no chart point
    NotDue,       // chart only
    Repeat,       // due but equal to the last record: numbered, chart only
    Recorded,     // record with number `recordNo`, and a chart point
};

struct Decision {
    Outcome outcome = Outcome::NotDue;
    qint32 recordNo = 0;
    bool toChart() const { return outcome != Outcome::LimitReached; }
};

// Limit, due test, repeat test, bookkeeping of a record and numbering. The
// key of a reading is its value text followed by its unit text.
Decision decide(ScheduleState& state, const ScheduleSettings& settings, const QString& value,
                const QString& unit);

// The one-second tick: counts down while the interval is on.
void tick(ScheduleState& state, bool intervalOn);

// The per-reading step without the chart: decides and, for a record,
// appends the row stamped with the clock's time (asked only then). Returns the decision (toChart()
// tells whether the reading goes on to the chart).
Decision recordReading(ScheduleState& state, const ScheduleSettings& settings,
                       const ReadingTexts& reading, ReadingTable& table,
                       const std::function<QDateTime()>& clock);

// "New": numbering restarts; the countdown and the last key stay.
void restartNumbering(ScheduleState& state);

} // namespace schedule
