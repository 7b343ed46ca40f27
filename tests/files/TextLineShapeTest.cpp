// A line shaped like the one before it is read by comparing bytes. Whatever
// differs, the line must read as it reads on its own, token by token.
#include "files/TableFile.h"

#include <gtest/gtest.h>

namespace {

const QByteArray kHeader = "No\tTime\tT1/T2\tValue\tUnit\tJudge\r\n";
const QByteArray kLine = "9\t2024/05/06_09:03:07\tT1\t023.4\t#-K\tPass\r\n";

TEST(TextLineShape, ALineAfterALikeOneReadsAsItReadsAlone)
{
    const QByteArray variants[] = {
        "10\t2024/05/06_09:03:08\tT1\t023.5\t#-K\tPass\r\n", // the shape itself
        "11\t2024/05/06_09:03:08\tT1\t023.5\t#-K\tPass\r\n",
        "010\t2024/05/06_09:03:08\tT1\t023.5\t#-K\tPass\r\n",
        "-10\t2024/05/06_09:03:08\tT1\t023.5\t#-K\tPass\r\n",
        "10\t\t2024/05/06_09:03:08\tT1\t023.5\t#-K\tPass\r\n",
        "10 2024/05/06_09:03:08\tT1\t023.5\t#-K\tPass\r\n",
        "10\t2024/05/07_23:59:59\tT1\t023.5\t#-K\tPass\r\n",
        "10\t2024/05/06_09-03-08\tT1\t023.5\t#-K\tPass\r\n",
        "10\t2024/05/06_25:03:08\tT1\t023.5\t#-K\tPass\r\n",
        "10\t2024/05/06_09:03:0x\tT1\t023.5\t#-K\tPass\r\n",
        "10\t2024/05/06_09:03:08123\tT1\t023.5\t#-K\tPass\r\n",
        "10\t2024/05/06_09:03:08\tT2\t023.5\t#-K\tPass\r\n",
        "10\t2024/05/06_09:03:08\tT1 \t023.5\t#-K\tPass\r\n",
        "10\t2024/05/06_09:03:08\tT1\t\"023.5\"\t#-K\tPass\r\n",
        "10\t2024/05/06_09:03:08\tT1\t02\"3.5\t#-K\tPass\r\n",
        "10\t2024/05/06_09:03:08\tT1\t0123456789abcdef\t#-K\tPass\r\n",
        "10\t2024/05/06_09:03:08\tT1\t\xB0" "23.5\t#-K\tPass\r\n",
        "10\t2024/05/06_09:03:08\tT1\t023.5\t#-C\tPass\r\n",
        "10\t2024/05/06_09:03:08\tT1\t023.5\t#-K\tFail\r\n",
        "10\t2024/05/06_09:03:08\tT1\t023.5\t#-K\tPass\tmore\r\n",
        "10\t2024/05/06_09:03:08\tT1\t023.5\t#-K\r\n",
        "10\t2024/05/06_09:03:08\tT1\t023.5\t#-K\tPass \r\n",
        "10\t2024/05/06_09:03:08\tT1\t023.5\t#-K\tPass\n",
        "10\t2024/05/06_09:03:08\tT1\t023.5\t#-K\tPass\r",
        "10\t2024/05/06_09:03:08\tT1\t023.5\t#-K\tPass",
        QByteArray("10\t2024/05/06_09:03:08\tT1\t02\0" "3.5\t#-K\tPass\r\n", 42),
        QByteArray("10\t2024/05/06_09:03:08\tT1\t023.5\t#-K\tPass\0\r\n", 43),
    };
    for (const QByteArray& variant : variants) {
        const LoadOutcome alone = readTableBytes(TableFormat::Text, kHeader + variant);
        const LoadOutcome after = readTableBytes(TableFormat::Text, kHeader + kLine + variant);
        const std::string name = variant.toStdString();
        ASSERT_EQ(after.ok, alone.ok) << name;
        if (!alone.ok)
            continue;
        ASSERT_EQ(after.staged.rows.rowCount(), alone.staged.rows.rowCount() + 1) << name;
        for (int r = 0; r < alone.staged.rows.rowCount(); ++r)
            EXPECT_EQ(after.staged.rows.row(r + 1), alone.staged.rows.row(r)) << name;
    }
}

TEST(TextLineShape, EndsAndNumbersAcrossManyLikeLines)
{
    // CR alone, then a LF that makes CR LF of the next; numbers that gain a digit.
    for (const QByteArray end : {"\r", "\n", "\r\n"}) {
        QByteArray file = kHeader;
        for (int n = 1; n <= 1200; ++n) {
            file += QByteArray::number(n) + "\t2024/05/06_09:03:07\tT1\t023.4\t#-K\tPass" +
                    (n == 600 && end == "\r" ? QByteArray("\r\n") : end);
        }
        const LoadOutcome out = readTableBytes(TableFormat::Text, file);
        ASSERT_TRUE(out.ok) << out.error.toStdString();
        ASSERT_EQ(out.staged.rows.rowCount(), 1200);
        for (int r = 0; r < 1200; ++r)
            ASSERT_EQ(out.staged.rows.row(r).no, r + 1) << r;
    }
}

} // namespace
