// Saves cut short at many points and files cut short at many offsets. A
// failed save leaves the old file byte for byte and nothing beside it; a
// cut file either fails with the table as it was or, for text (whose lines
// carry no end mark), gives the rows before the cut.
#include "FileFaults.h"
#include "files/RowSource.h"
#include "files/StagedTable.h"
#include "files/TableFile.h"
#include "recording/ReadingTable.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace {

ReadingStore recordedRows(int n)
{
    ReadingStore store;
    const QDateTime start(QDate(2024, 5, 6), QTime(9, 3, 7));
    const QString channels[] = {"T1", "T2", "T1-T2"};
    for (int i = 0; i < n; ++i)
        store.appendRecorded(
            i + 1, start.addSecs(i), TimeStampFormat{}, channels[i % 3],
            QStringLiteral(" %1.%2").arg(i % 1000, 3, 10, QLatin1Char('0')).arg(i % 10),
            QStringLiteral("#-K"), i % 7 ? QStringLiteral("Pass") : QString());
    return store;
}

QByteArray bytesOf(TableFormat format, const ReadingStore& store)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(writeTable(format, RowSource(store), buffer));
    return buffer.data();
}

// Every 4 KB boundary inside the file, and a few odd offsets.
std::vector<qint64> cutPoints(qint64 size)
{
    std::vector<qint64> cuts = {0, 1, 7, 4095, 4097, 65537, size - 1};
    for (qint64 at = 4096; at < size; at += 4096)
        cuts.push_back(at);
    return cuts;
}

struct FormatCase {
    TableFormat format;
    const char* name;
};

const FormatCase kFormats[] = {{TableFormat::Text, "table.xls"},
                               {TableFormat::XmlPacket, "table.xml"}};

TEST(SaveFaultInjection, AWriteCutAtAnyPointKeepsTheOldFileAndLeavesNothingBehind)
{
    const ReadingStore rows = recordedRows(10000);
    for (const FormatCase& c : kFormats) {
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString name = dir.filePath(QLatin1String(c.name));
        // The old file is the same table saved before, less its last rows.
        const QByteArray old = bytesOf(c.format, recordedRows(9000));
        ASSERT_TRUE(writeFile(name, old));
        const qint64 size = bytesOf(c.format, rows).size();
        ASSERT_GT(size, 400 * 1024);
        for (qint64 cut : cutPoints(size)) {
            SaveOutcome outcome;
            {
                const FileSizeLimit limit{rlim_t(cut)};
                outcome = saveTableFile(name, RowSource(rows));
            }
            ASSERT_FALSE(outcome.ok) << c.name << " cut at " << cut << " of " << size << ": "
                                     << fileBytes(name).size() << " bytes written";
            EXPECT_TRUE(outcome.error.startsWith(QLatin1String("Cannot write file ")) &&
                        outcome.error.contains(QDir::toNativeSeparators(name)) &&
                        outcome.error.endsWith(QString::fromLocal8Bit(std::strerror(EFBIG))))
                << outcome.error.toStdString();
            ASSERT_EQ(fileBytes(name), old) << c.name << " cut at " << cut;
            ASSERT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
                      QStringList{QLatin1String(c.name)})
                << c.name << " cut at " << cut;
        }
        // Without the limit the same save goes through.
        ASSERT_TRUE(saveTableFile(name, RowSource(rows)).ok);
        EXPECT_EQ(fileBytes(name), bytesOf(c.format, rows));
    }
}

// A disk that fills: a small tmpfs folder of each size in turn (where the
// machine lets the test mount one, that is as root), the old file in it.
TEST(SaveFaultInjection, ADiskThatFillsKeepsTheOldFileAndLeavesNothingBehind)
{
    QTemporaryDir mountPoint;
    ASSERT_TRUE(mountPoint.isValid());
    if (!SmallDisk::canMount(mountPoint.path()))
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);

    const ReadingStore rows = recordedRows(10000);
    for (const FormatCase& c : kFormats) {
        const QByteArray old = bytesOf(c.format, recordedRows(1000));
        const int oldKb = int(old.size() / 1024),
                  newKb = int(bytesOf(c.format, rows).size() / 1024);
        for (int kb = oldKb + 8; kb < newKb; kb += (newKb - oldKb) / 8) {
            const SmallDisk disk(mountPoint.path(), kb);
            ASSERT_TRUE(disk.mounted());
            const QString name = mountPoint.filePath(QLatin1String(c.name));
            ASSERT_TRUE(writeFile(name, old));
            const SaveOutcome outcome = saveTableFile(name, RowSource(rows));
            EXPECT_FALSE(outcome.ok) << c.name << " on " << kb << " KB";
            EXPECT_TRUE(outcome.error.startsWith(QLatin1String("Cannot write file ")) &&
                        outcome.error.endsWith(QString::fromLocal8Bit(std::strerror(ENOSPC))))
                << outcome.error.toStdString();
            EXPECT_EQ(fileBytes(name), old) << c.name << " on " << kb << " KB";
            EXPECT_EQ(QDir(mountPoint.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
                      QStringList{QLatin1String(c.name)});
        }
    }
}

std::vector<ReadingRow> rowsOf(const ReadingStore& store)
{
    std::vector<ReadingRow> rows;
    for (int r = 0; r < store.rowCount(); ++r)
        rows.push_back(store.row(r));
    return rows;
}

// A row as a text file brings it back: texts trimmed, empty ones "NULL".
ReadingRow asTextFileGivesIt(ReadingRow row)
{
    for (QString* text : {&row.time, &row.channel, &row.value, &row.unit, &row.judge}) {
        *text = text->trimmed();
        if (text->isEmpty())
            *text = QStringLiteral("NULL");
    }
    return row;
}

// A text's cut may leave a shorter text, or nothing (an empty field).
bool isCutOf(const QString& cut, const QString& whole)
{
    return whole.startsWith(cut);
}

TEST(OpenFaultInjection, AFileCutAtAnyKilobyteFailsOrGivesTheRowsBeforeTheCut)
{
    const ReadingStore rows = recordedRows(1000);
    const std::vector<ReadingRow> whole = rowsOf(rows);
    for (const FormatCase& c : kFormats) {
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString name = dir.filePath(QLatin1String(c.name));
        const QByteArray bytes = bytesOf(c.format, rows);
        for (qint64 cut = 0; cut < bytes.size(); cut += 1024) {
            ASSERT_TRUE(writeFile(name, bytes.left(cut)));
            ReadingTable table;
            table.appendFromFile({100, "t", "T1", " 1", "#-K", "Pass"});
            const std::vector<ReadingRow> before = rowsOf(table.rows());
            LoadOutcome outcome = loadTableFile(name);
            if (!outcome.ok) {
                EXPECT_FALSE(outcome.error.isEmpty());
                ASSERT_EQ(rowsOf(table.rows()), before) << c.name << " cut at " << cut;
                continue;
            }
            // Only text may read a cut file: its last line needs no break.
            ASSERT_EQ(c.format, TableFormat::Text) << "a cut packet opened, cut at " << cut;
            const std::vector<ReadingRow> got = rowsOf(outcome.staged.rows);
            ASSERT_LE(got.size(), whole.size());
            for (size_t r = 0; r + 1 < got.size(); ++r)
                ASSERT_EQ(got[r], asTextFileGivesIt(whole[r])) << "cut at " << cut << " row " << r;
            if (!got.empty()) {
                const ReadingRow& last = got.back();
                const ReadingRow& full = whole[got.size() - 1];
                EXPECT_TRUE(last.no && full.no &&
                            QString::number(*full.no).startsWith(QString::number(*last.no)));
                EXPECT_TRUE(isCutOf(last.time, full.time)) << "cut at " << cut;
            }
            applyStaged(table, std::move(outcome.staged));
            EXPECT_EQ(table.rowCount(), int(before.size() + got.size()));
            EXPECT_EQ(table.rows().row(0), before[0]);
        }
    }
}

} // namespace
