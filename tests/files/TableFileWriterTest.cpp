// What the writers put into a file, byte for byte, and what a failed or
// cancelled save leaves behind.
#include "TableFileFixtures.h"

#include "files/FileProgress.h"
#include "files/RowSource.h"
#include "files/TableFile.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace fixtures;

namespace {

QByteArray written(TableFormat format, const ReadingStore& store)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(writeTable(format, RowSource(store), buffer));
    return buffer.data();
}

struct Golden {
    const char* file;
    ReadingStore (*table)();
};

class GoldenFileTest : public ::testing::TestWithParam<Golden> {};

TEST_P(GoldenFileTest, WriterGivesTheGoldenBytes)
{
    const Golden& g = GetParam();
    const QString name = QString::fromLatin1(g.file);
    EXPECT_EQ(written(formatForFileName(name), g.table()), fileBytes(dataPath(name)));
}

INSTANTIATE_TEST_SUITE_P(Tables, GoldenFileTest,
                         ::testing::Values(Golden{"empty.txt", [] { return ReadingStore(); }},
                                           Golden{"empty.xml", [] { return ReadingStore(); }},
                                           Golden{"three.txt", &threeRecorded},
                                           Golden{"three.xml", &threeRecorded},
                                           Golden{"mixed.txt", &mixedRows},
                                           Golden{"mixed.xml", &mixedRows}));

TEST(TableFormat, OnlyXmlExtensionInAnyCaseChoosesThePacket)
{
    EXPECT_EQ(formatForFileName("/a/b.xml"), TableFormat::XmlPacket);
    EXPECT_EQ(formatForFileName("B.XmL"), TableFormat::XmlPacket);
    EXPECT_EQ(formatForFileName("b.xls"), TableFormat::Text);
    EXPECT_EQ(formatForFileName("b.xml.txt"), TableFormat::Text);
    EXPECT_EQ(formatForFileName("xml"), TableFormat::Text);
}

// A device that accepts a number of bytes and then fails.
class FailingDevice : public QIODevice {
public:
    explicit FailingDevice(qint64 room) : room_(room) { open(WriteOnly); }
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 n) override
    {
        if (n > room_)
            return -1;
        room_ -= n;
        return n;
    }

private:
    qint64 room_;
};

ReadingStore manyRows(int n)
{
    ReadingStore store;
    for (int i = 0; i < n; ++i)
        store.appendRow({i, "2024/05/06_09:03:07", "T1", QString::number(i), "#-K", "Pass"});
    return store;
}

TEST(TableWriter, ReportsADeviceThatFailsPartWay)
{
    // In the first piece written, and in a later one while the next is formatted.
    const ReadingStore store = manyRows(20000);
    for (TableFormat format : {TableFormat::Text, TableFormat::XmlPacket}) {
        for (const qint64 room : {100000, 600000}) {
            FailingDevice device(room);
            EXPECT_FALSE(writeTable(format, RowSource(store), device)) << room;
        }
    }
}

// Stamps of other separators, one byte or not in either file (the golden
// files hold '/' and ':'): the date and time of day of two days.
TEST(TableWriter, WritesStampsOfEverySeparator)
{
    const struct {
        char16_t date, time;
        const char* text; // of 2024/05/06_09:03:07 and the next day's 23:59:59
        const char* xml;  // when not the same
    } cases[] = {
        {u'.', u'.', "2024.05.06_09.03.07 2024.05.07_23.59.59", nullptr},
        {u'-', u'\u00b7', "2024-05-06_09\26703\26707 2024-05-07_23\26759\26759", // 0xb7
         "2024-05-06_09&#183;03&#183;07 2024-05-07_23&#183;59&#183;59"},
        {u'\u066b', u'\u066b', "2024?05?06_09?03?07 2024?05?07_23?59?59",
         "2024&#1643;05&#1643;06_09&#1643;03&#1643;07 2024&#1643;05&#1643;07_23&#1643;59&#1643;59"},
    };
    const QDateTime first(QDate(2024, 5, 6), QTime(9, 3, 7));
    for (const auto& c : cases) {
        const TimeStampFormat format{QString(QChar(c.date)), QString(QChar(c.time))};
        ReadingStore store;
        for (const QDateTime& when : {first, first.addSecs(86400 + 53812)})
            store.appendRecorded(1, when, format, "T1", "1.0", "#-K", "Pass");
        for (const TableFormat f : {TableFormat::Text, TableFormat::XmlPacket}) {
            const QByteArray bytes = written(f, store);
            for (const QByteArray& stamp :
                 QByteArray(f == TableFormat::XmlPacket && c.xml ? c.xml : c.text).split(' '))
                EXPECT_TRUE(bytes.contains(stamp)) << stamp.toStdString() << bytes.toStdString();
        }
    }
}

class SaveFailureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        oldFile = dir.filePath("old.xls");
        QFile f(oldFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old contents\r\n");
    }
    void expectOldFileIntact()
    {
        EXPECT_EQ(fileBytes(oldFile), QByteArray("old contents\r\n"));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.xls"});
    }
    QTemporaryDir dir;
    QString oldFile;
};

TEST_F(SaveFailureTest, AWriteThatFailsPartWayKeepsTheOldFile)
{
    // The file size limit makes the write fail with EFBIG instead of a signal.
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit limit = old;
    limit.rlim_cur = 64 * 1024;
    setrlimit(RLIMIT_FSIZE, &limit);
    const SaveOutcome outcome = saveTableFile(oldFile, RowSource(manyRows(20000)));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(outcome.ok);
    EXPECT_FALSE(outcome.error.isEmpty());
    expectOldFileIntact();
}

TEST_F(SaveFailureTest, ACancelledSaveKeepsTheOldFile)
{
    FileProgress progress;
    progress.cancelRequested = true;
    const SaveOutcome outcome = saveTableFile(oldFile, RowSource(manyRows(5000)), &progress);
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.cancelled);
    expectOldFileIntact();
}

TEST_F(SaveFailureTest, NamesThatCannotBeWrittenGiveTheSystemsReason)
{
    const QString unwritable[] = {dir.path(),                         // a folder
                                  dir.filePath("missing/table.xml"),  // no such folder
                                  QStringLiteral("/proc/table.xml")}; // a folder nobody writes
    for (const QString& name : unwritable) {
        const SaveOutcome outcome = saveTableFile(name, RowSource(threeRecorded()));
        EXPECT_FALSE(outcome.ok) << name.toStdString();
        EXPECT_TRUE(outcome.error.contains(QDir::toNativeSeparators(name))) << name.toStdString();
    }
    expectOldFileIntact();
}

TEST_F(SaveFailureTest, ASaveReplacesTheOldFileWhole)
{
    ASSERT_TRUE(saveTableFile(oldFile, RowSource(threeRecorded())).ok);
    EXPECT_EQ(fileBytes(oldFile), fileBytes(dataPath("three.txt")));
}

} // namespace
