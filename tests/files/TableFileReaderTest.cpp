// What the readers make of files, and that only a file read without error
// changes the table.
#include "TableFileFixtures.h"

#include "files/RowSource.h"
#include "files/TableFile.h"
#include "recording/ReadingTable.h"

#include <QBuffer>
#include <QFile>

#include <gtest/gtest.h>

#include <limits>

using namespace fixtures;

namespace {

LoadOutcome load(const QString& name)
{
    return loadTableFile(dataPath(name));
}

std::vector<ReadingRow> rowsOf(const ReadingStore& store)
{
    std::vector<ReadingRow> rows;
    for (int r = 0; r < store.rowCount(); ++r)
        rows.push_back(store.row(r));
    return rows;
}

const ReadingRow kRow1{1, "2024/05/06_09:03:07", "T1", "23.5", "#-K", "Pass"};
const ReadingRow kRow2{2, "2024/05/06_09:03:08", "T2", "-1.5", "#-K", "Fail"};

struct TextCase {
    const char* file;
    std::vector<ReadingRow> rows;
};

class TextReaderTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextReaderTest, GivesTheRowsOfTheFile)
{
    const LoadOutcome out = load(QStringLiteral("text/") + GetParam().file);
    ASSERT_TRUE(out.ok) << out.error.toStdString();
    EXPECT_EQ(out.staged.apply, StagedTable::Apply::Append);
    EXPECT_EQ(rowsOf(out.staged.rows), GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(
    Files, TextReaderTest,
    ::testing::Values(TextCase{"crlf.txt", {kRow1, kRow2}}, TextCase{"cr_only.txt", {kRow1, kRow2}},
                      TextCase{"lf_only.txt", {kRow1, kRow2}},
                      TextCase{"no_final_break.txt", {kRow1, kRow2}},
                      TextCase{"blank_lines.txt", {kRow1, kRow2}},
                      TextCase{"nul_inside.txt", {kRow1, {2, "A", "", "", "", ""}}},
                      TextCase{"header_only.txt", {}},
                      TextCase{"quoted.txt",
                               {{1, "2024/05/06 09:03:07", "T1", " 23.5", "a\"b", "x\ty"}}},
                      TextCase{"few_tokens.txt", {{5, "only", "", "", "", ""}}},
                      TextCase{"null_text.txt", {{1, "t", "T1", "2", "K", "NULL"}}},
                      TextCase{"code_page.txt",
                               {{1, QString::fromUtf8("\u00b0C"), QString::fromUtf8("\u20ac"),
                                 QString(QChar(0x81)), "", ""}}},
                      TextCase{"../three.txt",
                               {{1, "2024/05/06_09:03:07", "T1", "23.5", "#-K", "Pass"},
                                {2, "2024/05/06_09:03:08", "T1", "23.6", "#-K", "Fail"},
                                {3, "2024/05/06_09:03:09", "T2", "-10.2", "#-K", "Pass"}}}));

TEST(TextReader, TakesAPacketUnderATextNameAsOneHeaderLine)
{
    QFile file(dataPath("three.xml"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const LoadOutcome out = readTable(TableFormat::Text, file);
    EXPECT_TRUE(out.ok);
    EXPECT_EQ(out.staged.rows.rowCount(), 0);
}

struct XmlCase {
    const char* file;
    std::vector<ReadingRow> rows;
    std::vector<qint32> rowStates;
};

class XmlReaderTest : public ::testing::TestWithParam<XmlCase> {};

TEST_P(XmlReaderTest, GivesTheRowsOfThePacket)
{
    const LoadOutcome out = load(QStringLiteral("xml/") + GetParam().file);
    ASSERT_TRUE(out.ok) << out.error.toStdString();
    EXPECT_EQ(out.staged.apply, StagedTable::Apply::Replace);
    EXPECT_EQ(rowsOf(out.staged.rows), GetParam().rows);
    std::vector<qint32> states;
    for (int r = 0; r < out.staged.rows.rowCount(); ++r)
        states.push_back(out.staged.rows.rowState(r));
    EXPECT_EQ(states, GetParam().rowStates);
}

const QString kEAcute = QString::fromUtf8("\u00e9");

INSTANTIATE_TEST_SUITE_P(
    Files, XmlReaderTest,
    ::testing::Values(
        XmlCase{"bom.xml", {{1, "", "", kEAcute, "", ""}}, {0}},
        XmlCase{
            "utf8_valid.xml", {{1, "", "", kEAcute + QString::fromUtf8("\u20ac"), "", ""}}, {0}},
        // Declared UTF-8 but not: every byte is its own character.
        XmlCase{
            "utf8_invalid.xml",
            {{1, "", "", QString::fromLatin1("\xc3\xa9"), "", ""}, {2, "", "", kEAcute, "", ""}},
            {0, 0}},
        XmlCase{"bytes.xml", {{1, "", "", QString::fromLatin1("\xe9\xc3\xa9"), "", ""}}, {0}},
        XmlCase{"no_declaration.xml", {{1, "", "", "", "", ""}}, {0}},
        XmlCase{"row_without_attributes.xml",
                {{std::nullopt, "", "", "", "", ""}, {9, "", "", "", "", ""}},
                {0, 2}},
        XmlCase{"unknown_attributes.xml", {{1, "", "", "v", "", ""}}, {0}},
        XmlCase{"lower_case_field_names.xml", {{4, "", "", " 1.0", "", ""}}, {0}},
        XmlCase{"references.xml",
                {{-5, "", QString::fromUtf8("AA\u00b0<>&'\""), QString::fromUtf8("\U0001F600"),
                  QString(QChar(0xD800)), ""}},
                {0}}));

// Each of these fails, and a table it was to change stays exactly as it was.
class DamagedFileTest : public ::testing::TestWithParam<const char*> {};

TEST_P(DamagedFileTest, FailsAndLeavesTheTableAsItWas)
{
    const LoadOutcome out = load(QString::fromLatin1(GetParam()));
    EXPECT_FALSE(out.ok);
    EXPECT_FALSE(out.error.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedFileTest,
                         ::testing::Values("text/empty.txt", "text/unclosed_quote.txt",
                                           "text/seven_tokens.txt", "text/not_a_number.txt",
                                           "text/number_too_big.txt", "xml/truncated.xml",
                                           "xml/missing_field.xml", "xml/mistyped_field.xml",
                                           "xml/change_log_not_triples.xml",
                                           "xml/change_log_overflow.xml", "xml/bad_reference.xml",
                                           "xml/ano_not_integer.xml", "no-such-file.xml",
                                           "text/crlf.txt/not-a-folder.txt", "../data"));

TEST(TableFileBytes, EveryCutOfAPacketFailsCleanly)
{
    // A packet cut anywhere before its end is not a packet; nothing half read survives.
    const QByteArray whole = fileBytes(dataPath("mixed.xml"));
    for (qsizetype n = 0; n < whole.size(); n += 7)
        EXPECT_FALSE(readTableBytes(TableFormat::XmlPacket, whole.first(n)).ok) << n;
    EXPECT_TRUE(readTableBytes(TableFormat::XmlPacket, whole).ok);
}

TEST(TableFileRoundTrip, WhatIsWrittenReadsBackExactly)
{
    ReadingStore store = mixedRows();
    // A lone surrogate half, which only the packet keeps.
    store.appendStoredRow({1, QString(QChar(0xDC00)), "", "", "", ""}, 0);
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    ASSERT_TRUE(writeTable(TableFormat::XmlPacket, RowSource(store), buffer));
    buffer.seek(0);
    const LoadOutcome xml = readTable(TableFormat::XmlPacket, buffer);
    ASSERT_TRUE(xml.ok) << xml.error.toStdString();
    EXPECT_EQ(rowsOf(xml.staged.rows), rowsOf(store));
    EXPECT_EQ(xml.staged.rows.changes().numbers(), store.changes().numbers());
    EXPECT_EQ(xml.staged.rows.rowState(4), 0);
}

class ApplyTest : public ::testing::Test {
protected:
    ApplyTest()
    {
        table.appendFromFile({100, "t", "T1", " 1", "#-K", "Pass"});
        table.appendFromFile({101, "t", "T1", " 2", "#-K", "Pass"});
    }
    ReadingTable table;
};

TEST_F(ApplyTest, ATextFileAppendsItsRowsAndLogsThem)
{
    applyStaged(table, load("three.txt").staged);
    ASSERT_EQ(table.rowCount(), 5);
    EXPECT_EQ(table.rows().row(2),
              ReadingRow({1, "2024/05/06_09:03:07", "T1", "23.5", "#-K", "Pass"}));
    EXPECT_EQ(table.currentRow(), 4);
    EXPECT_EQ(table.changes().numbers(),
              (std::vector<qint64>{1, 0, 4, 2, 0, 4, 3, 0, 4, 4, 0, 4, 5, 0, 4}));
}

TEST_F(ApplyTest, APacketReplacesTheTableWithItsRowsAndChangeList)
{
    applyStaged(table, load("three.xml").staged);
    EXPECT_EQ(rowsOf(table.rows()), rowsOf(threeRecorded()));
    EXPECT_EQ(table.changes().numbers(), threeRecorded().changes().numbers());
    EXPECT_EQ(table.currentRow(), 0);
}

// Runs of "n 0 4" are read from their text; the list must come out the
// same wherever a run breaks, gains a digit or ends.
struct ChangeLogCase {
    const char* log;
    std::vector<qint64> numbers; // empty: the packet fails
};

class ChangeLogTest : public ::testing::TestWithParam<ChangeLogCase> {};

TEST_P(ChangeLogTest, GivesTheTriplesAsWritten)
{
    const QByteArray packet =
        QByteArray(
            R"(<?xml version="1.0" standalone="yes"?><DATAPACKET Version="2.0"><METADATA><FIELDS>)"
            R"(<FIELD attrname="ANo" fieldtype="i4"/><FIELD attrname="ATime" fieldtype="string.uni"/>)"
            R"(<FIELD attrname="AT1T2" fieldtype="string.uni"/><FIELD attrname="AValue" fieldtype="string.uni"/>)"
            R"(<FIELD attrname="AUnit" fieldtype="string.uni"/><FIELD attrname="AJudge" fieldtype="string.uni"/>)"
            R"(</FIELDS><PARAMS CHANGE_LOG=")") +
        GetParam().log + R"("/></METADATA><ROWDATA></ROWDATA></DATAPACKET>)";
    const LoadOutcome out = readTableBytes(TableFormat::XmlPacket, packet);
    ASSERT_EQ(out.ok, !GetParam().numbers.empty()) << out.error.toStdString();
    if (out.ok) {
        EXPECT_EQ(out.staged.rows.changes().numbers(), GetParam().numbers);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Packets, ChangeLogTest,
    ::testing::Values(
        ChangeLogCase{"8 0 4 9 0 4 10 0 4 11 0 4", {8, 0, 4, 9, 0, 4, 10, 0, 4, 11, 0, 4}},
        ChangeLogCase{"1 0 4 2 0 45 3 0 4", {1, 0, 4, 2, 0, 45, 3, 0, 4}},
        ChangeLogCase{"1 0 4 2 0 4 02 0 4 3 0 1 4 0 4",
                      {1, 0, 4, 2, 0, 4, 2, 0, 4, 3, 0, 1, 4, 0, 4}},
        ChangeLogCase{"1 0 4 2 0 4 2", {}}, ChangeLogCase{"1 0 4 2 0 4x", {}},
        ChangeLogCase{"99 0 4 100 0 4  101 0 4 ", {99, 0, 4, 100, 0, 4, 101, 0, 4}},
        ChangeLogCase{"2147483646 0 4 2147483647 0 4", {2147483646, 0, 4, 2147483647, 0, 4}},
        ChangeLogCase{"2147483647 0 4 2147483648 0 4", {}}));

TEST(ChangeListOverflow, ARunAtTheLargestPositionTakesNoMoreTriples)
{
    ChangeList changes;
    const qint64 max = std::numeric_limits<qint64>::max();
    changes.append({max, 0, 4});
    changes.appendAddedRow(std::numeric_limits<qint64>::min());
    changes.appendAddedRow(1);
    EXPECT_EQ(changes.numbers(),
              (std::vector<qint64>{max, 0, 4, std::numeric_limits<qint64>::min(), 0, 4, 1, 0, 4}));
}

} // namespace
