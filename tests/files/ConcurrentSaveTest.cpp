// A save on a worker thread while readings go on being recorded: the file
// holds exactly the rows present when it began. Run under ThreadSanitizer.
#include "files/RowSource.h"
#include "files/TableFile.h"
#include "recording/ReadingTable.h"

#include <QBuffer>
#include <QDateTime>

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(ConcurrentSave, CoversTheRowsPresentWhileRecordingGoesOn)
{
    ReadingTable table;
    const QDateTime t(QDate(2024, 5, 6), QTime(9, 3, 7), Qt::UTC);
    for (int i = 0; i < 20000; ++i)
        table.appendRecorded(i, t.addSecs(i), "T1", QString::number(i % 500), "#-K", "Pass");
    const RowSource rows(table);
    QByteArray concurrent;
    std::thread worker([&] {
        QBuffer buffer(&concurrent);
        buffer.open(QIODevice::WriteOnly);
        EXPECT_TRUE(writeTable(TableFormat::XmlPacket, rows, buffer));
    });
    for (int i = 0; i < 20000; ++i) // new texts, so the pool grows meanwhile
        table.appendRecorded(i, t, "T2", "v" + QString::number(i), "#-K", "Fail");
    worker.join();

    ReadingTable first;
    for (int i = 0; i < 20000; ++i)
        first.appendRecorded(i, t.addSecs(i), "T1", QString::number(i % 500), "#-K", "Pass");
    QBuffer alone;
    alone.open(QIODevice::WriteOnly);
    ASSERT_TRUE(writeTable(TableFormat::XmlPacket, RowSource(first), alone));
    EXPECT_EQ(concurrent, alone.data());
}

TEST(ConcurrentSave, StopsWhenTheTableIsEmptiedMeanwhile)
{
    ReadingTable table;
    table.appendFromFile({1, "t", "T1", "1", "K", "Pass"});
    const RowSource rows(table);
    table.clear();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_FALSE(writeTable(TableFormat::Text, rows, buffer));
}

} // namespace
