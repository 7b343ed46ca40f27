// The journal mirrors the table through every kind of change, and reads
// back as the table stood: rows, row states, change list and counters.
#include "JournalFiles.h"

#include "journal/JournalRestore.h"
#include "journal/TableJournal.h"
#include "recording/ReadingTable.h"
#include "recording/ScheduleState.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <functional>

namespace {

const QDateTime kStart(QDate(2024, 5, 6), QTime(9, 3, 7), Qt::UTC);

// Records n readings as the session does: counters first, then the row.
void record(ReadingTable& table, ScheduleState& state, int n)
{
    for (int i = 0; i < n; ++i) {
        ++state.RecordCount;
        const qint32 no = state.NextRecordNo++;
        table.appendRecorded(no, kStart.addSecs(no), i % 2 ? "T2" : "T1",
                             QString::number(20 + i % 7) + ".5", "#-C", "Pass");
    }
}

ReadingStore fileRows(int n)
{
    ReadingStore rows;
    for (int i = 0; i < n; ++i)
        rows.appendRow({std::nullopt, "06.05.2024 9:03:" + QString::number(i % 60), "T1-T2",
                        QString::number(-i) + ",25", "°F", i % 3 ? "" : "Fail \"x\""});
    return rows;
}

struct Scenario {
    const char* name;
    std::function<void(ReadingTable&, ScheduleState&)> run;
};

// Names the case in test output (rather than its bytes).
void PrintTo(const Scenario& c, std::ostream* out)
{
    *out << c.name;
}

const Scenario kScenarios[] = {
    {"RecordedRows", [](ReadingTable& t, ScheduleState& s) { record(t, s, 50); }},
    {"NothingYet", [](ReadingTable&, ScheduleState&) {}},
    {"TextRowsWithoutNumbers",
     [](ReadingTable& t, ScheduleState&) {
         const ReadingStore rows = fileRows(30);
         for (int r = 0; r < rows.rowCount(); ++r)
             t.appendFromFile(rows.row(r));
     }},
    {"PacketWithItsOwnStatesAndChanges",
     [](ReadingTable& t, ScheduleState& s) {
         record(t, s, 5);
         ReadingStore packet;
         for (int i = 0; i < 40; ++i)
             packet.appendStoredRow({i, "t" + QString::number(i), "T1", "1", "K", ""}, i % 9);
         ChangeList changes;
         changes.append({7, 1, 2});
         changes.appendAddedRun(3, 5);
         changes.append({-1, 99, 4});
         packet.setChanges(changes);
         t.replaceAll(std::move(packet));
         record(t, s, 3);
     }},
    {"NewAfterRecording",
     [](ReadingTable& t, ScheduleState& s) {
         record(t, s, 20);
         t.clear();
         s.NextRecordNo = 1;
         s.RecordCount = 0;
         record(t, s, 4);
     }},
    {"TextFileAppendedWhole",
     [](ReadingTable& t, ScheduleState& s) {
         record(t, s, 7);
         t.appendAllFromFile(fileRows(2000));
         record(t, s, 2);
     }},
    {"RowsOfABulkUpdate",
     [](ReadingTable& t, ScheduleState&) {
         t.beginBulkUpdate();
         const ReadingStore rows = fileRows(300);
         for (int r = 0; r < rows.rowCount(); ++r)
             t.appendFromFile(rows.row(r));
         t.endBulkUpdate();
     }},
    {"RecordingWhileALargeTableIsRewritten",
     [](ReadingTable& t, ScheduleState& s) {
         t.replaceAll(fileRows(200000));
         record(t, s, 500);
     }},
};

class JournalRoundTrip : public ::testing::TestWithParam<Scenario> {
protected:
    QTemporaryDir dir;
    QString file() const { return dir.filePath("journal.sqlite"); }
};

TEST_P(JournalRoundTrip, RestoresTheTableAsItStood)
{
    ReadingTable table;
    ScheduleState state;
    state.NextRecordNo = 1;
    {
        TableJournal journal(table, state, file());
        journal.start();
        GetParam().run(table, state);
        journal.countersChanged();
        ASSERT_TRUE(journal.writer().waitUntilCommitted(60000));

        // Read while the writer still holds the file, as after a power cut.
        const RestoredJournal restored = restoreJournal(file());
        ASSERT_TRUE(restored.ok) << restored.message.toStdString();
        EXPECT_TRUE(restored.message.isEmpty()) << restored.message.toStdString();
        expectSameStore(table.rows(), restored.rows);
        EXPECT_EQ(restored.nextRecordNo, state.NextRecordNo);
        EXPECT_EQ(restored.recordCount, state.RecordCount);
    }
    EXPECT_EQ(integrityOf(file()), "ok");
    const QString count = sqliteTool(file(), "SELECT count(*) FROM reading");
    if (!count.isNull()) {
        EXPECT_EQ(count, QString::number(table.rowCount()));
    }
    const JournalSummary summary = readJournalSummary(file());
    EXPECT_EQ(summary.rowCount, table.rowCount());
    EXPECT_TRUE(summary.started.isValid() && summary.ended >= summary.started);
}

INSTANTIATE_TEST_SUITE_P(Changes, JournalRoundTrip, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

// A journal of a recording table, started.
class JournalCommit : public ::testing::Test {
protected:
    JournalCommit() { journal.start(); }

    QTemporaryDir dir;
    ReadingTable table;
    ScheduleState state{startState()};
    TableJournal journal{table, state, dir.filePath("j.sqlite")};

private:
    static ScheduleState startState()
    {
        ScheduleState start;
        start.NextRecordNo = 1;
        return start;
    }
};

// A row appended is committed within a second without anyone asking.
TEST_F(JournalCommit, ARecordedRowIsOnDiskWithinASecondOrSo)
{
    record(table, state, 1);
    QElapsedTimer waited;
    waited.start();
    while (readJournalSummary(dir.filePath("j.sqlite")).rowCount != 1 && waited.elapsed() < 3000)
        QThread::msleep(50);
    EXPECT_LT(waited.elapsed(), 3000);
}

// The files as a power cut leaves them (database and WAL, no shared
// memory) restore everything committed, and are read without being changed.
TEST_F(JournalCommit, FilesCopiedWhileRecordingRestoreUnchanged)
{
    record(table, state, 3000);
    ASSERT_TRUE(journal.writer().waitUntilCommitted());
    const QString image = dir.filePath("image.sqlite");
    for (const QString suffix : {"", "-wal"})
        ASSERT_TRUE(QFile::copy(dir.filePath("j.sqlite" + suffix), image + suffix));
    ASSERT_GT(QFileInfo(image + "-wal").size(), 0);
    const QByteArray before = hashOf(image) + hashOf(image + "-wal");

    const RestoredJournal restored = restoreJournal(image);
    ASSERT_TRUE(restored.ok) << restored.message.toStdString();
    expectSameStore(table.rows(), restored.rows);
    EXPECT_EQ(restored.nextRecordNo, 3001);
    EXPECT_EQ(hashOf(image) + hashOf(image + "-wal"), before);
}

} // namespace
