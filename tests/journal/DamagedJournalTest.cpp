// Journals that are damaged or not ours: restore gives every row SQLite can
// still read or a clear message, never crashes, and leaves the file as it was.
#include "JournalFiles.h"

#include "journal/JournalRestore.h"

#include <QDir>
#include <QTemporaryDir>

#include <functional>

namespace {

constexpr int kRows = 20000;

ReadingRow rowAt(int i)
{
    return {i + 1, "06.05.2024 09:03:07", "T1", QString::number(i) + ".5", "#-C", "Pass"};
}

void writeRows(const QString& file)
{
    ReadingTable table;
    for (int i = 0; i < kRows; ++i)
        table.appendFromFile(rowAt(i));
    ASSERT_TRUE(writeJournal(file, table));
}

// Overwrites `size` bytes at `fraction` of the file with `byte`, or cuts the
// file there when size is 0.
void damage(const QString& file, double fraction, qint64 size, char byte = 0)
{
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    const qint64 at = static_cast<qint64>(static_cast<double>(f.size()) * fraction) / 4096 * 4096;
    if (size == 0) {
        f.resize(at);
        return;
    }
    f.seek(at);
    f.write(QByteArray(size, byte));
}

struct Case {
    const char* name;
    std::function<void(const QString&)> make;
    bool someRowsBack;   // else nothing restored
    const char* message; // part of the message
};

// Names the case in test output (rather than its bytes).
void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.name;
}

const Case kCases[] = {
    {"Truncated",
     [](const QString& f) {
         writeRows(f);
         damage(f, 0.25, 0);
     },
     true, "damaged"},
    {"PageInTheMiddleOverwritten",
     [](const QString& f) {
         writeRows(f);
         damage(f, 0.2, 4096, '\x5a');
     },
     true, "damaged"},
    {"GarbageBytes",
     [](const QString& f) {
         QFile out(f);
         ASSERT_TRUE(out.open(QIODevice::WriteOnly));
         for (int i = 0; i < 4096; ++i)
             out.putChar(static_cast<char>(i * 37 + 11));
     },
     false, "not a database"},
    {"EmptyFile", [](const QString& f) { QFile(f).open(QIODevice::WriteOnly); }, false, "schema 0"},
    {"NoTables", [](const QString& f) { ASSERT_TRUE(execSql(f, "PRAGMA user_version = 1")); },
     false, "no such table"},
    {"AnotherSchemaVersion",
     [](const QString& f) {
         writeRows(f);
         ASSERT_TRUE(execSql(f, "PRAGMA user_version = 7"));
     },
     false, "schema 7"},
    {"NoFile", [](const QString&) {}, false, "does not exist"},
};

class DamagedJournal : public ::testing::TestWithParam<Case> {};

TEST_P(DamagedJournal, RestoresWhatCanBeReadAndKeepsTheFile)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("journal.sqlite");
    GetParam().make(file);
    const QByteArray before = hashOf(file);

    const RestoredJournal restored = restoreJournal(file);
    const JournalSummary summary = readJournalSummary(file);

    EXPECT_EQ(hashOf(file), before);
    EXPECT_TRUE(restored.message.contains(GetParam().message)) << restored.message.toStdString();
    EXPECT_TRUE(restored.message.contains(QDir::toNativeSeparators(file)));
    if (!GetParam().someRowsBack) {
        EXPECT_FALSE(restored.ok);
        EXPECT_FALSE(summary.error.isEmpty());
        return;
    }
    ASSERT_TRUE(restored.ok);
    const int back = restored.rows.rowCount();
    EXPECT_GT(back, 0);
    EXPECT_LT(back, kRows);
    // Every row restored is one that was journaled, in order.
    int i = 0;
    for (int r = 0; r < back; ++r) {
        const std::optional<qint32> no = restored.rows.number(r);
        ASSERT_TRUE(no && *no > i) << "row " << r;
        i = *no;
        EXPECT_EQ(restored.rows.row(r), rowAt(i - 1));
    }
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedJournal, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DamagedJournalRows, RowsBehindAnOverwrittenPageAreRestoredToo)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("journal.sqlite");
    writeRows(file);
    damage(file, 0.2, 4096, '\x5a');
    const RestoredJournal restored = restoreJournal(file);
    ASSERT_TRUE(restored.ok);
    EXPECT_EQ(restored.rows.number(restored.rows.rowCount() - 1), kRows);
}

} // namespace
