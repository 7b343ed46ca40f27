// The output buffer copies short pieces with overlapping fixed-size moves:
// every length must land whole, at every offset, and nothing past it.
#include "files/OutputBatch.h"

#include <QByteArray>

#include <gtest/gtest.h>

TEST(ByteBuffer, PiecesOfEveryLengthLandWholeAtEveryOffset)
{
    QByteArray source;
    for (int i = 0; i < 80; ++i)
        source += char('!' + i);
    for (int offset = 0; offset < 20; ++offset) {
        ByteBuffer b;
        QByteArray expected(offset, '.');
        b.append(expected.constData(), offset);
        for (int n = 0; n <= 70; ++n) {
            b.append(source.constData() + n % 7, n);
            expected += source.mid(n % 7, n);
            b.append('|');
            expected += '|';
        }
        ASSERT_EQ(QByteArray(b.data(), b.size()), expected) << offset;
    }
}
