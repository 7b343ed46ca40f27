#include "chart/PointHistory.h"

#include <gtest/gtest.h>

namespace {

// Values are found again across the boundaries of the storage's blocks, and
// the history is usable again after being cleared.
TEST(PointHistoryTest, KeepsEveryValueAcrossBlocksAndAfterClear)
{
    PointHistory history;
    constexpr qint64 count = 3 * 65536 + 17;
    for (qint64 i = 0; i < count; ++i)
        history.append(double(i) * 0.5 - 7.0);
    ASSERT_EQ(history.size(), count);
    for (const qint64 i : {qint64(0), qint64(65535), qint64(65536), qint64(131072), count - 1})
        EXPECT_EQ(history.at(i), double(i) * 0.5 - 7.0) << i;

    history.clear();
    EXPECT_EQ(history.size(), 0);
    history.append(42.25);
    EXPECT_EQ(history.size(), 1);
    EXPECT_EQ(history.at(0), 42.25);
}

} // namespace
