#include "recording/SamplingSchedule.h"

#include "recording/ReadingTable.h"

namespace schedule {
namespace {

bool keyEquals(const QString& key, const QString& value, const QString& unit)
{
    return key.size() == value.size() + unit.size() &&
           QStringView(key).left(value.size()) == value &&
           QStringView(key).mid(value.size()) == unit;
}

// Record numbers wrap around instead of overflowing after 2^31 due readings.
qint32 nextNumber(qint32 n)
{
    return static_cast<qint32>(static_cast<quint32>(n) + 1u);
}

} // namespace

Decision decide(ScheduleState& state, const ScheduleSettings& settings, const QString& value,
                const QString& unit)
{
    Decision decision;
    if (state.RecordCount >= state.RecordLimit) {
        decision.outcome = Outcome::LimitReached;
        return decision;
    }
    const bool due = !settings.intervalOn || state.SampleCountdown == 0;
    if (!due) {
        decision.outcome = Outcome::NotDue;
        return decision;
    }
    if (!settings.recordRepeats && keyEquals(state.LastRecordedKey, value, unit)) {
        decision.outcome = Outcome::Repeat;
    } else {
        // Reuses the key's buffer: no allocation per record.
        state.LastRecordedKey.resize(0);
        state.LastRecordedKey.append(value).append(unit);
        state.SampleCountdown = settings.interval;
        ++state.RecordCount;
        decision.outcome = Outcome::Recorded;
        decision.recordNo = state.NextRecordNo;
    }
    state.NextRecordNo = nextNumber(state.NextRecordNo);
    return decision;
}

void tick(ScheduleState& state, bool intervalOn)
{
    if (intervalOn && state.SampleCountdown > 0)
        --state.SampleCountdown;
}

Decision recordReading(ScheduleState& state, const ScheduleSettings& settings,
                       const ReadingTexts& reading, ReadingTable& table,
                       const std::function<QDateTime()>& clock)
{
    const Decision decision = decide(state, settings, reading.value, reading.unit);
    if (decision.outcome == Outcome::Recorded)
        table.appendRecorded(decision.recordNo, clock(), reading.channel, reading.value,
                             reading.unit, reading.judge);
    return decision;
}

void restartNumbering(ScheduleState& state)
{
    state.NextRecordNo = 1;
    state.RecordCount = 0;
}

} // namespace schedule
