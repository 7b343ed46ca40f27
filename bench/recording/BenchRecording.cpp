// Figures of the reading table at scale. Readings go through the same path
// as the window's per-reading step (schedule, table append with its time
// stamp, the grid following the new row) without painting; the grid jump
// includes painting the grid offscreen.
#include "Figures.h"
#include "ReadingValues.h"

#include "recording/ReadingGrid.h"
#include "recording/ReadingTable.h"
#include "recording/SamplingSchedule.h"
#include "recording/WallClock.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

constexpr int kTenMillion = 10'000'000;
constexpr int kBatch = 1000;
constexpr int kBatches = 21;

// Readings as a steady process gives them. The channel shown changes every
// hundred readings, the judgement every twenty, the unit every thousand.
struct ReadingSource {
    ReadingTexts next()
    {
        ++n;
        return ReadingTexts{channels[(n / 100) % 3], driftingValue(values, n),
                            units[(n / 1000) % 2], judges[(n / 20) % 2]};
    }

    std::vector<QString> values = readoutValueTexts();
    const QString channels[3] = {QStringLiteral("T1"), QStringLiteral("T2"),
                                 QStringLiteral("T1-T2")};
    const QString units[2] = {QStringLiteral("#-K"), QStringLiteral("?-K")};
    const QString judges[2] = {QStringLiteral("Pass"), QStringLiteral("Fail")};
    long long n = 0;
};

// One recording session: the schedule state, the table and its grid.
struct Session {
    Session()
    {
        state.NextRecordNo = 1;
        state.RecordLimit = kTenMillion + kBatch * kBatches;
        settings.intervalOn = false; // every reading is due and recorded
        grid.resize(326, 147);
        grid.setTable(&table);
        grid.show();
        QCoreApplication::processEvents();
    }
    void record(ReadingSource& source)
    {
        schedule::recordReading(state, settings, source.next(), table,
                                [this] { return clock.now(); });
    }
    void recordUntil(ReadingSource& source, int rows)
    {
        while (table.rowCount() < rows)
            record(source);
    }
    // Microseconds per reading in the fastest of several batches of appends:
    // the batch least disturbed by other processes on the machine.
    double appendMicros(ReadingSource& source)
    {
        std::vector<double> perReading;
        for (int b = 0; b < kBatches; ++b) {
            const auto start = std::chrono::steady_clock::now();
            for (int i = 0; i < kBatch; ++i)
                record(source);
            const std::chrono::duration<double, std::micro> spent =
                std::chrono::steady_clock::now() - start;
            perReading.push_back(spent.count() / kBatch);
        }
        return *std::min_element(perReading.begin(), perReading.end());
    }

    ScheduleState state;
    ScheduleSettings settings;
    WallClock clock;
    ReadingTable table;
    ReadingGrid grid;
};

double median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ReadingSource source;

    // Append cost near a thousand rows: fresh sessions, the fastest of them.
    std::vector<double> smallTable;
    for (int s = 0; s < 5; ++s) {
        Session session;
        session.recordUntil(source, 1000);
        smallTable.push_back(session.appendMicros(source));
    }
    const double atThousand = *std::min_element(smallTable.begin(), smallTable.end());

    const long long before = figures::residentBytes();
    auto session = std::make_unique<Session>();
    session->recordUntil(source, kTenMillion);
    const long long after = figures::residentBytes();
    const double atTenMillion = session->appendMicros(source);

    // Jump from the first row to the last and paint; median of several.
    std::vector<double> jumps;
    for (int j = 0; j < 9; ++j) {
        session->table.setCurrentRow(0);
        QCoreApplication::processEvents();
        const auto start = std::chrono::steady_clock::now();
        session->table.setCurrentRow(session->table.rowCount() - 1);
        session->grid.repaint();
        QCoreApplication::processEvents();
        const std::chrono::duration<double, std::milli> spent =
            std::chrono::steady_clock::now() - start;
        jumps.push_back(spent.count());
    }

    figures::print("table_bytes_per_row_at_10m", double(after - before) / kTenMillion, "bytes");
    figures::print("table_append_us_at_1k", atThousand, "us");
    figures::print("table_append_us_at_10m", atTenMillion, "us");
    figures::print("table_append_ratio_10m_1k", atTenMillion / atThousand, "ratio");
    figures::print("grid_jump_to_last_ms_at_10m", median(jumps), "ms");
    return 0;
}
