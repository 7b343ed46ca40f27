// Figures of the journal: what a recorded row costs the GUI thread with the
// journal following the table (the table's own append included), what it
// costs the writer until committed, both at 10 rows and at a million (they
// should not differ), and the rewrite of a million-row table.
#include "Figures.h"

#include "journal/TableJournal.h"
#include "recording/ReadingTable.h"
#include "recording/ScheduleState.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTemporaryDir>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRows = 20000;

double seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

void record(ReadingTable& table, ScheduleState& state, int n)
{
    const QDateTime start(QDate(2024, 5, 6), QTime(9, 0), Qt::UTC);
    for (int i = 0; i < n; ++i) {
        ++state.RecordCount;
        const qint32 no = state.NextRecordNo++;
        table.appendRecorded(no, start.addSecs(no), "T1", QString::number(no % 997) + ".5", "#-C",
                             "Pass");
    }
}

void measure(int present, const char* label)
{
    QTemporaryDir dir;
    ReadingTable table;
    ScheduleState state;
    state.NextRecordNo = 1;
    record(table, state, present);
    TableJournal journal(table, state, dir.filePath("bench.sqlite"));
    auto began = Clock::now();
    journal.start();
    journal.writer().waitUntilCommitted(600000);
    if (present > 1000)
        figures::print("journal_rewrite_rows_per_s", present / seconds(began), "rows/s");

    began = Clock::now();
    record(table, state, kRows);
    figures::print(std::string("journal_gui_ns_per_row_at_") + label, seconds(began) * 1e9 / kRows,
                   "ns");
    journal.writer().waitUntilCommitted(600000);
    figures::print(std::string("journal_writer_us_per_row_at_") + label,
                   seconds(began) * 1e6 / kRows, "us");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    measure(10, "10");
    measure(1000000, "1m");
    return 0;
}
