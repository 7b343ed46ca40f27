// Files of several blocks are read on two threads. They must give what a
// reading line by line gives: every row in order, the first failure by its
// line, nothing after a byte 0 or after the packet, and a stop on a read
// error or cancel with nothing staged.
#include "files/FileProgress.h"
#include "files/RowSource.h"
#include "files/TableFile.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace {

constexpr int kRows = 40000; // about 1.9 MB of text: four blocks and more

// Values of the readout's shape and others, repeating as readings do.
QString valueOf(int n)
{
    if (n % 11 == 0)
        return QStringLiteral("v%1").arg(n % 300);
    return QString::number((n % 3000 - 1000) / 10.0, 'f', 1);
}

// Some judgements hold a quote: a text that is not its bytes in either file.
ReadingRow rowOf(int n)
{
    return {n + 1, "2024/05/06_09:03:07", n % 500 < 250 ? "T1" : "T2", valueOf(n), "#-K",
            n % 97 == 0 ? "a\"b" : n % 40 < 20 ? "Pass" : "Fail"};
}

QByteArray tokenOf(const QString& text)
{
    return text.contains('"') ? '"' + text.toLatin1().replace("\"", "\"\"") + '"'
                              : text.toLatin1();
}

QByteArray textFile(const QByteArray& lineEnd, int rows = kRows)
{
    QByteArray file = "No\tTime\tT1/T2\tValue\tUnit\tJudge" + lineEnd;
    for (int n = 0; n < rows; ++n) {
        const ReadingRow row = rowOf(n);
        file += QByteArray::number(*row.no) + '\t' + row.time.toLatin1() + '\t' +
                row.channel.toLatin1() + '\t' + row.value.toLatin1() + '\t' +
                row.unit.toLatin1() + '\t' + tokenOf(row.judge) + lineEnd;
    }
    return file;
}

QByteArray packet(int rows = kRows)
{
    ReadingStore store;
    for (int n = 0; n < rows; ++n)
        store.appendRow(rowOf(n));
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    writeTable(TableFormat::XmlPacket, RowSource(store), out);
    return out.data();
}

void expectRows(const LoadOutcome& out, int rows)
{
    ASSERT_TRUE(out.ok) << out.error.toStdString();
    ASSERT_EQ(out.staged.rows.rowCount(), rows);
    for (int n = 0; n < rows; ++n)
        ASSERT_EQ(out.staged.rows.row(n), rowOf(n)) << "row " << n;
}

TEST(BlockRead, TextOfEveryLineEndGivesEveryRowInOrder)
{
    for (const QByteArray lineEnd : {"\r\n", "\n", "\r"})
        expectRows(readTableBytes(TableFormat::Text, textFile(lineEnd)), kRows);
}

TEST(BlockRead, TextFailsAtItsFirstBadLineAndStopsAtAByteZero)
{
    const QByteArray file = textFile("\r\n");
    const auto lineStart = [&](int line) { // 1: the header
        qsizetype at = 0;
        for (int l = 1; l < line; ++l)
            at = file.indexOf('\n', at) + 1;
        return at;
    };
    struct Case {
        const char* name;
        int line;
        QByteArray inserted;
        const char* error; // empty: the rows before the line
    } cases[] = {
        {"seven tokens", 30002, "1 2 3 4 5 6 7\r\n", "line 30002: more than six tokens"},
        {"no number", 38000, "x\r\n", "line 38000: no record number"},
        {"first of two", 20001, "\"open\r\n", "line 20001: unclosed quote"},
        {"byte 0", 25001, QByteArray("\0 1 2 3 4 5 6 7\r\n", 17), ""},
    };
    for (const Case& c : cases) {
        QByteArray bad = file;
        bad.insert(lineStart(c.line), c.inserted);
        if (QByteArrayView(c.name) == "first of two")
            bad.insert(lineStart(36000), "1 2 3 4 5 6 7\r\n");
        const LoadOutcome out = readTableBytes(TableFormat::Text, bad);
        if (*c.error) {
            EXPECT_FALSE(out.ok) << c.name;
            EXPECT_EQ(out.error.toStdString(), c.error) << c.name;
        } else {
            expectRows(out, c.line - 2);
        }
    }
}

TEST(BlockRead, PacketGivesEveryRowAndItsEndMayCrossBlocks)
{
    const QByteArray file = packet();
    expectRows(readTableBytes(TableFormat::XmlPacket, file), kRows);

    // Blanks of several blocks between and after the closing tags.
    const qsizetype close = file.lastIndexOf("</ROWDATA>");
    const QByteArray blanks(3 << 20, ' ');
    QByteArray spread = file;
    spread.insert(spread.lastIndexOf("</DATAPACKET>"), blanks);
    spread.append(blanks);
    expectRows(readTableBytes(TableFormat::XmlPacket, spread), kRows);

    const QByteArray row = "<ROW RowState=\"4\" ANo=\"1\"/>";
    const struct {
        const char* name;
        QByteArray bytes;
    } bad[] = {
        {"a row after ROWDATA", file.left(close + 10) + blanks + row + file.mid(close + 10)},
        {"a row after the packet", file + blanks + row},
        {"no DATAPACKET end", file.left(file.lastIndexOf("</DATAPACKET>")) + blanks},
        {"no ROWDATA end", file.left(close)},
        {"another tag among the rows", file.left(close - 5000) + "<OTHER/>" + file.mid(close - 5000)},
        {"a late row without a number",
         file.left(close - 200) + "<ROW ANo=\"x\"/>" + file.mid(close - 200)},
    };
    for (const auto& b : bad) {
        const LoadOutcome out = readTableBytes(TableFormat::XmlPacket, b.bytes);
        EXPECT_FALSE(out.ok) << b.name;
        EXPECT_EQ(out.staged.rows.rowCount(), 0) << b.name;
    }
}

// Blocks of a few bytes put a bound inside every line end (CR | LF), token,
// stamp, reference and tag: each size gives what one block gives.
TEST(BlockRead, BlocksOfAnySizeGiveWhatOneBlockGives)
{
    static const char kZeroInside[] = "h\n1 a\n2 b\0\n3 c\n";
    const struct {
        TableFormat format;
        QByteArray bytes;
    } files[] = {
        {TableFormat::Text, textFile("\r\n", 60) + "x\r\n"}, // fails on line 62
        {TableFormat::Text, "h\r1\t2024/05/06_09:03:07\tT1\t 1.5\r\n2\t2024/05/06_09:03:08\tT1\r"
                            "\n\r\n3 \"a \"\"b\" x\n4\t2024/05/06_09:03:08123\tT1\t1.5\r"},
        {TableFormat::Text, "h\n1 a\n2 b\n3 \"open\n4 d\n"},
        {TableFormat::Text, QByteArray(kZeroInside, sizeof kZeroInside - 1)},
        {TableFormat::XmlPacket, packet(60)},
        {TableFormat::XmlPacket, packet(30).replace("Pass", "P&#955;&amp;&#x3bb;s")},
        {TableFormat::XmlPacket, packet(30).replace("</ROWDATA>", "<ROW ANo=\"x\"/></ROWDATA>")},
    };
    for (const auto& f : files) {
        const LoadOutcome whole = readTableBytes(f.format, f.bytes, f.bytes.size() + 1);
        for (qsizetype blockBytes = 1; blockBytes <= 32; ++blockBytes) {
            const LoadOutcome out = readTableBytes(f.format, f.bytes, blockBytes);
            ASSERT_EQ(out.ok, whole.ok) << blockBytes;
            ASSERT_EQ(out.error.toStdString(), whole.error.toStdString()) << blockBytes;
            ASSERT_EQ(out.staged.rows.rowCount(), whole.staged.rows.rowCount()) << blockBytes;
            for (int r = 0; r < whole.staged.rows.rowCount(); ++r)
                ASSERT_EQ(out.staged.rows.row(r), whole.staged.rows.row(r)) << blockBytes;
            ASSERT_EQ(out.staged.rows.changes().numbers(), whole.staged.rows.changes().numbers());
        }
    }
}

// Fails its reads, or asks to cancel, once `after` bytes are read.
class StoppingBuffer : public QBuffer {
public:
    StoppingBuffer(qint64 after, FileProgress* cancel) : after_(after), cancel_(cancel) {}

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (pos() >= after_) {
            if (!cancel_)
                return -1;
            cancel_->cancelRequested = true;
        }
        return QBuffer::readData(data, maxSize);
    }

private:
    qint64 after_;
    FileProgress* cancel_;
};

TEST(BlockRead, AReadErrorOrCancelHalfWayStagesNothing)
{
    for (const TableFormat format : {TableFormat::Text, TableFormat::XmlPacket}) {
        const QByteArray file = format == TableFormat::Text ? textFile("\n") : packet();
        for (const bool cancel : {false, true}) {
            FileProgress progress;
            StoppingBuffer in(file.size() / 2, cancel ? &progress : nullptr);
            in.setData(file);
            in.open(QIODevice::ReadOnly);
            const LoadOutcome out = readTable(format, in, &progress);
            EXPECT_FALSE(out.ok) << cancel;
            EXPECT_EQ(out.cancelled, cancel);
            EXPECT_EQ(out.staged.rows.rowCount(), 0);
        }
    }
}

} // namespace
