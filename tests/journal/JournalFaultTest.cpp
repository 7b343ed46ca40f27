// A journal that cannot be written: the user is told once, recording goes
// on in memory, and once the file can be written again it holds the table.
#include "EventLoopWait.h"
#include "FileFaults.h"
#include "JournalFiles.h"

#include "journal/JournalRestore.h"
#include "journal/TableJournal.h"
#include "recording/ReadingTable.h"
#include "recording/ScheduleState.h"

#include <QDateTime>
#include <QTemporaryDir>

namespace {

class JournalFault : public ::testing::Test {
protected:
    QTemporaryDir dir;
    ReadingTable table;
    ScheduleState state;
    QStringList failures;
    int resumed = 0;

    void follow(TableJournal& journal)
    {
        QObject::connect(&journal.writer(), &JournalWriter::failed, &journal,
                         [this](const QString& message) { failures << message; });
        QObject::connect(&journal.writer(), &JournalWriter::resumed, &journal,
                         [this] { ++resumed; });
        journal.start();
    }

    // Long, distinct values, so that a small disk fills after a few hundred.
    void record(int n)
    {
        const QDateTime t(QDate(2024, 5, 6), QTime(9, 0), Qt::UTC);
        for (int i = 0; i < n; ++i) {
            const qint32 no = ++state.RecordCount;
            table.appendRecorded(no, t.addSecs(no), "T1",
                                 QString(200, QChar('a' + no % 26)) + QString::number(no), "#-C",
                                 "Pass");
        }
    }

    void expectJournalHoldsTheTable(TableJournal& journal)
    {
        ASSERT_TRUE(journal.writer().waitUntilCommitted());
        const RestoredJournal restored = restoreJournal(journal.writer().fileName());
        ASSERT_TRUE(restored.ok) << restored.message.toStdString();
        expectSameStore(table.rows(), restored.rows);
        EXPECT_EQ(restored.recordCount, state.RecordCount);
        EXPECT_EQ(integrityOf(journal.writer().fileName()), "ok");
    }
};

TEST_F(JournalFault, AFolderThatCannotBeMadeIsReportedOnceAndCaughtUpLater)
{
    QFile blocker(dir.filePath("state"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    TableJournal journal(table, state, dir.filePath("state/thermologger/j.sqlite"));
    follow(journal);
    for (int second = 0; second < 3; ++second) { // several retries
        record(10);
        pumpFor(1000);
    }
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].contains("j.sqlite"));
    EXPECT_EQ(table.rowCount(), 30);

    ASSERT_TRUE(QFile::remove(dir.filePath("state")));
    ASSERT_TRUE(pumpUntil([&] { return resumed == 1; }, 10000));
    record(5);
    expectJournalHoldsTheTable(journal);
    EXPECT_EQ(failures.size(), 1);
}

TEST_F(JournalFault, AFullDiskIsReportedOnceAndRecordingGoesOn)
{
    if (!SmallDisk::canMount(dir.path()))
        GTEST_SKIP() << "mounting a small disk needs root";
    const SmallDisk disk(dir.path(), 2048);
    ASSERT_TRUE(disk.mounted());
    QFile filler(dir.filePath("filler"));
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
    filler.write(QByteArray(1536 * 1024, 'f'));
    filler.close();
    {
        TableJournal journal(table, state, dir.filePath("j.sqlite"));
        follow(journal);
        ASSERT_TRUE(pumpUntil(
            [&] {
                record(20);
                pumpFor(20);
                return !failures.isEmpty() || table.rowCount() > 20000;
            },
            60000));
        ASSERT_EQ(failures.size(), 1);
        EXPECT_TRUE(failures[0].contains("full")) << failures[0].toStdString();
        record(200);
        pumpFor(2500);
        EXPECT_EQ(failures.size(), 1);

        ASSERT_TRUE(QFile::remove(dir.filePath("filler")));
        ASSERT_TRUE(pumpUntil([&] { return resumed == 1; }, 10000));
        record(5);
        expectJournalHoldsTheTable(journal);
    }
}

} // namespace
