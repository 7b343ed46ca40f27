// The readers scan their input in blocks and keep repeated texts by their
// bytes; wherever the device's pieces end, they must give the same rows.
#include "TableFileFixtures.h"

#include "files/RowSource.h"
#include "files/TableFile.h"

#include <QBuffer>

#include <gtest/gtest.h>

using namespace fixtures;

namespace {

// Hands out at most `piece` bytes per read.
class PieceBuffer : public QBuffer {
public:
    explicit PieceBuffer(qint64 piece) : piece_(piece) {}

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        return QBuffer::readData(data, std::min(maxSize, piece_));
    }

private:
    qint64 piece_;
};

// Lines of many lengths around the 64-byte blocks, values that repeat and
// some that do not, quoted tokens; for packets also the rows of every
// escaped character (a text line needs its record number).
ReadingStore varied(TableFormat format)
{
    ReadingStore store = format == TableFormat::XmlPacket ? mixedRows() : ReadingStore();
    const QString judges[] = {"Pass", "Fail", "", "\"q\"", QString(70, u'J')};
    for (int n = 0; n < 600; ++n)
        store.appendRow({n, n % 9 ? "2024/05/06_09:03:07" : QString(n % 40, u't'),
                         n % 3 ? "T1" : "T1-T2", QString::number(n % 37 * 1.25 - 3, 'f', n % 4),
                         QString(n % 25, u'u'), judges[n % 5]});
    return store;
}

std::vector<ReadingRow> rowsOf(const ReadingStore& store)
{
    std::vector<ReadingRow> rows;
    for (int r = 0; r < store.rowCount(); ++r)
        rows.push_back(store.row(r));
    return rows;
}

TEST(ChunkedRead, EveryPieceSizeGivesTheRowsThatWereWritten)
{
    for (const TableFormat format : {TableFormat::Text, TableFormat::XmlPacket}) {
        const ReadingStore store = varied(format);
        QBuffer written;
        written.open(QIODevice::WriteOnly);
        ASSERT_TRUE(writeTable(format, RowSource(store), written));
        const LoadOutcome whole = readTableBytes(format, written.data());
        ASSERT_TRUE(whole.ok) << whole.error.toStdString();
        // Text keeps what its tokens can say: compare with the whole read.
        if (format == TableFormat::XmlPacket) {
            EXPECT_EQ(rowsOf(whole.staged.rows), rowsOf(store));
        }
        EXPECT_EQ(whole.staged.rows.rowCount(), store.rowCount());
        for (const qint64 piece : {1, 3, 63, 64, 65, 1000}) {
            PieceBuffer in(piece);
            in.setData(written.data());
            in.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
            const LoadOutcome out = readTable(format, in);
            ASSERT_TRUE(out.ok) << piece << ": " << out.error.toStdString();
            EXPECT_EQ(rowsOf(out.staged.rows), rowsOf(whole.staged.rows)) << piece;
        }
    }
}

TEST(ChunkedRead, TextTokensAtBlockEdgesKeepTheirBytes)
{
    // Tokens and separators that end at, before and after 64 bytes.
    for (int pad = 40; pad < 70; ++pad) {
        const QByteArray value(pad, 'v');
        const QByteArray file = "h\n1\tt\tc\t" + value + " \t u\t\"j k\"\n2 t c " + value + "\n";
        const LoadOutcome out = readTableBytes(TableFormat::Text, file);
        ASSERT_TRUE(out.ok) << pad;
        EXPECT_EQ(out.staged.rows.row(0), ReadingRow({1, "t", "c", value, "u", "j k"})) << pad;
        EXPECT_EQ(out.staged.rows.row(1), ReadingRow({2, "t", "c", value, "", ""})) << pad;
    }
}

} // namespace
