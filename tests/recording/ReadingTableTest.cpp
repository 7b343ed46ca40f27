// Rows come back exactly as stored, the change list follows additions, and
// the table's notices tell views what changed.
#include "recording/ReadingTable.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include <limits>

namespace {

ReadingRow makeRow(std::optional<qint32> no, const QString& time, const QString& value,
                   const QString& judge = QStringLiteral("Pass"))
{
    ReadingRow row;
    row.no = no;
    row.time = time;
    row.channel = QStringLiteral("T1");
    row.value = value;
    row.unit = QStringLiteral("#-K");
    row.judge = judge;
    return row;
}

TEST(ReadingStore, RowsComeBackExactlyAsStored)
{
    const ReadingRow rows[] = {
        makeRow(1, QStringLiteral("2024/05/06_09:03:07"), QStringLiteral(" 023.5")),
        makeRow(2, QStringLiteral("2024.05.06_23:59:59"), QStringLiteral("-023.5")),
        makeRow(3, QStringLiteral("1970-01-01_00:00:00"), QStringLiteral(" 0L ")),
        makeRow(4, QStringLiteral("2105/12/31_23:59:59"), QStringLiteral("1")),
        // Not canonical: kept as texts.
        makeRow(5, QStringLiteral("1969/12/31_23:59:59"), QStringLiteral("2")),
        makeRow(6, QStringLiteral("2024/02/30_09:03:07"), QStringLiteral("3")),
        makeRow(7, QStringLiteral("2024/05/06 09:03:07"), QStringLiteral("4")),
        makeRow(8, QStringLiteral("2024/05-06_09:03:07"), QStringLiteral("5")),
        makeRow(9, QStringLiteral("2024/05/06_24:00:00"), QStringLiteral("6")),
        makeRow(10, QStringLiteral("2024/05/06_09:03:07 "), QStringLiteral("7")),
        makeRow(11, QStringLiteral("2024\u00b705\u00b706_09h03h07"), QStringLiteral("8")),
        makeRow(12, QStringLiteral("NULL"), QStringLiteral("NULL"), QStringLiteral("NULL")),
        makeRow(std::nullopt, QString(), QString(), QString()),
        makeRow(-7, QStringLiteral("x"), QString(300, u'9'),
                QString(60, u'F')), // longer than the widths
        makeRow(std::numeric_limits<qint32>::min(), QStringLiteral("2024/05/06_09:03:07"),
                QStringLiteral(" 023.5"), QString()),
    };
    ReadingStore store;
    for (const ReadingRow& row : rows)
        store.appendRow(row);
    ASSERT_EQ(store.rowCount(), int(std::size(rows)));
    for (int r = 0; r < store.rowCount(); ++r) {
        EXPECT_EQ(store.row(r), rows[r]) << r;
        for (int f = 0; f < kReadingFieldCount; ++f)
            EXPECT_EQ(store.text(r, ReadingField(f)), rows[r].text(ReadingField(f))) << r;
    }
    EXPECT_EQ(store.text(12, ReadingField::ANo), QString()); // no number: empty
}

TEST(ReadingStore, RecordedRowsCarryTheStampInTheGivenSeparators)
{
    ReadingStore store;
    const QDateTime when(QDate(2024, 5, 6), QTime(9, 3, 7, 999));
    const auto record = [&](const char* date, const char* time) {
        TimeStampFormat format;
        format.dateSeparator = QString::fromUtf8(date);
        format.timeSeparator = QString::fromUtf8(time);
        store.appendRecorded(1, when, format, QStringLiteral("T1-T2"), QStringLiteral(" 001.0"),
                             QStringLiteral("#-K"), QString());
        return store.text(store.rowCount() - 1, ReadingField::ATime);
    };
    EXPECT_EQ(record("/", ":"), QStringLiteral("2024/05/06_09:03:07"));
    EXPECT_EQ(record(".", ":"), QStringLiteral("2024.05.06_09:03:07"));
    EXPECT_EQ(record("-", "."), QStringLiteral("2024-05-06_09.03.07"));
    EXPECT_EQ(record(". ", ":"), QStringLiteral("2024. 05. 06_09:03:07"));
    EXPECT_EQ(store.row(0).judge, QString()); // T1-T2 before any judgement
    EXPECT_EQ(store.rowState(0), kRowStateAdded);
}

TEST(ReadingStore, OutOfRangeYearsAreStampedAsText)
{
    ReadingStore store;
    store.appendRecorded(1, QDateTime(QDate(2200, 1, 2), QTime(3, 4, 5)), TimeStampFormat{},
                         QStringLiteral("T1"), QStringLiteral("1"), QStringLiteral("#"), QString());
    EXPECT_EQ(store.row(0).time, QStringLiteral("2200/01/02_03:04:05"));
}

TEST(ReadingStore, ChangeListHoldsOneTriplePerAddedRow)
{
    ReadingStore store;
    store.appendRecorded(1, QDateTime::currentDateTime(), TimeStampFormat{}, "T1", "1", "#", "");
    store.appendRow(makeRow(1, QStringLiteral("t"), QStringLiteral("2")));
    store.appendRow(makeRow(2, QStringLiteral("t"), QStringLiteral("3")));
    EXPECT_EQ(store.changes().numbers(), (std::vector<qint64>{1, 0, 4, 2, 0, 4, 3, 0, 4}));
    store.clear();
    EXPECT_TRUE(store.changes().isEmpty());
    EXPECT_EQ(store.rowCount(), 0);
    store.appendRow(makeRow(1, QStringLiteral("t"), QStringLiteral("2")));
    EXPECT_EQ(store.changes().numbers(), (std::vector<qint64>{1, 0, 4}));
}

TEST(ReadingStore, PacketRowsKeepTheirStateAndChangeList)
{
    ReadingStore store;
    store.appendStoredRow(makeRow(1, QStringLiteral("a"), QStringLiteral("1")), 0);
    store.appendStoredRow(makeRow(2, QStringLiteral("b"), QStringLiteral("2")), 4);
    store.appendStoredRow(makeRow(3, QStringLiteral("c"), QStringLiteral("3")), 100000);
    ChangeList packet;
    packet.append({2, 0, 4});
    packet.append({1, 1, 8});
    store.setChanges(packet);
    EXPECT_EQ(store.rowState(0), 0);
    EXPECT_EQ(store.rowState(1), 4);
    EXPECT_EQ(store.rowState(2), 100000);
    store.appendRow(makeRow(4, QStringLiteral("d"), QStringLiteral("4"))); // extends the list
    EXPECT_EQ(store.changes().numbers(), (std::vector<qint64>{2, 0, 4, 1, 1, 8, 4, 0, 4}));
}

TEST(ChangeList, RunsOfAddedRowsAndOtherTriplesKeepTheirOrder)
{
    ChangeList list;
    for (qint64 p = 1; p <= 1000; ++p)
        list.appendAddedRow(p);
    list.append({7, 0, 4}); // does not continue the run
    list.append({1002, 0, 4});
    list.append({1003, 2, 4});
    EXPECT_EQ(list.tripleCount(), 1003);
    std::vector<ChangeList::Triple> seen;
    list.forEach([&seen](const ChangeList::Triple& t) { seen.push_back(t); });
    ASSERT_EQ(seen.size(), 1003u);
    EXPECT_EQ(seen[0], (ChangeList::Triple{1, 0, 4}));
    EXPECT_EQ(seen[999], (ChangeList::Triple{1000, 0, 4}));
    EXPECT_EQ(seen[1000], (ChangeList::Triple{7, 0, 4}));
    EXPECT_EQ(seen[1001], (ChangeList::Triple{1002, 0, 4}));
    EXPECT_EQ(seen[1002], (ChangeList::Triple{1003, 2, 4}));
}

// A packet's change list may hold any 64-bit numbers; positions at the ends
// of the range neither overflow nor merge into runs they do not continue.
TEST(ChangeList, PositionsAtTheEndsOfTheRangeComeBackAsGiven)
{
    constexpr qint64 kMax = std::numeric_limits<qint64>::max();
    constexpr qint64 kMin = std::numeric_limits<qint64>::min();
    const std::vector<std::vector<qint64>> cases = {
        {kMax, 0, 4, kMax, 0, 4},
        {kMin, 0, 4, kMax, 0, 4},
        {kMax - 1, 0, 4, kMax, 0, 4},
        {kMax, 0, 4, kMin, 0, 4},
        {-1, 0, 4, 0, 0, 4, 1, 0, 4},
    };
    for (const std::vector<qint64>& numbers : cases) {
        ChangeList list;
        for (size_t i = 0; i < numbers.size(); i += 3)
            list.append({numbers[i], numbers[i + 1], numbers[i + 2]});
        EXPECT_EQ(list.numbers(), numbers);
        EXPECT_EQ(list.tripleCount(), qint64(numbers.size() / 3));
    }
}

TEST(ReadingFields, NamesInTableOrderMatchedWithoutCase)
{
    EXPECT_EQ(readingFieldName(ReadingField::AUnit), QStringLiteral("AUnit"));
    EXPECT_EQ(readingFieldByName(u"avalue"), ReadingField::AValue);
    EXPECT_EQ(readingFieldByName(u"ANO"), ReadingField::ANo);
    EXPECT_EQ(readingFieldByName(u"Value"), std::nullopt);
}

class ReadingTableNotices : public ::testing::Test {
protected:
    ReadingTable table;
    QSignalSpy appended{&table, &ReadingTable::rowsAppended};
    QSignalSpy replaced{&table, &ReadingTable::tableReplaced};
    QSignalSpy current{&table, &ReadingTable::currentRowChanged};
};

TEST_F(ReadingTableNotices, AppendedRowBecomesCurrent)
{
    table.appendRecorded(1, QDateTime::currentDateTime(), "T1", "1", "#", "Pass");
    table.appendFromFile(makeRow(9, QStringLiteral("t"), QStringLiteral("2")));
    EXPECT_EQ(appended.count(), 2);
    EXPECT_EQ(appended.at(1).at(0).toInt(), 1);
    EXPECT_EQ(table.currentRow(), 1);
    EXPECT_EQ(current.last().at(0).toInt(), 1);
}

TEST_F(ReadingTableNotices, BulkUpdateTellsViewsOnceAtTheEnd)
{
    table.beginBulkUpdate();
    for (int i = 0; i < 300; ++i)
        table.appendFromFile(makeRow(i, QStringLiteral("t"), QString::number(i)));
    EXPECT_EQ(appended.count() + replaced.count() + current.count(), 0);
    table.endBulkUpdate();
    EXPECT_EQ(replaced.count(), 1);
    EXPECT_EQ(table.currentRow(), 299); // the last row read
    EXPECT_EQ(current.last().at(0).toInt(), 299);
}

TEST_F(ReadingTableNotices, ReplaceAllMakesTheFirstRowCurrentAndClearLeavesNone)
{
    table.appendFromFile(makeRow(1, QStringLiteral("t"), QStringLiteral("1")));
    ReadingStore packet;
    packet.appendStoredRow(makeRow(5, QStringLiteral("a"), QStringLiteral("5")), 4);
    packet.appendStoredRow(makeRow(6, QStringLiteral("b"), QStringLiteral("6")), 4);
    table.replaceAll(std::move(packet));
    EXPECT_EQ(table.rowCount(), 2);
    EXPECT_EQ(table.rows().number(0), 5);
    EXPECT_EQ(table.currentRow(), 0);
    EXPECT_EQ(replaced.count(), 1);
    EXPECT_TRUE(table.changes().isEmpty()); // the packet brought none

    table.clear();
    EXPECT_EQ(table.rowCount(), 0);
    EXPECT_EQ(table.currentRow(), -1);
    table.setCurrentRow(3); // nothing to select
    EXPECT_EQ(table.currentRow(), -1);
}

} // namespace
