#include "recording/ReadingStore.h"

#include <gtest/gtest.h>

#include <vector>

// Readers on other threads intern texts while rows are appended without
// the pool: a row whose stamp must become text (no time form left for its
// separators) stops such a batch, and is then appended with the pool.
TEST(ReadingStoreTest, ABatchLeavingThePoolStopsAtTheFirstRowThatNeedsAText)
{
    ReadingStore store;
    ReadingStore::RowCodes c;
    c.channel = c.value = c.unit = c.judge = store.internText("x");
    c.timeIsText = false;
    c.rowState = kRowStateAdded;
    std::vector<ReadingStore::RowCodes> rows;
    // 256 x 256 separator pairs: one more than there are time forms.
    for (int d = 0; d < 256; ++d) {
        for (int t = 0; t < 256; ++t) {
            c.no = d * 256 + t + 1;
            c.time = static_cast<quint32>(c.no);
            c.dateSeparator = QChar(0x100 + d);
            c.timeSeparator = QChar(0x100 + t);
            rows.push_back(c);
        }
    }
    const size_t appended = store.appendCodesLeavingPool(rows.data(), rows.size());
    ASSERT_LT(appended, rows.size());
    EXPECT_EQ(store.rowCount(), static_cast<int>(appended));
    EXPECT_FALSE(store.appendCodesLeavingPool(rows[appended]));
    store.appendCodes(rows[appended]);
    const ReadingRow last = store.row(store.rowCount() - 1);
    const ReadingRow alike = store.row(0);
    EXPECT_EQ(last.no, static_cast<int>(appended) + 1);
    EXPECT_EQ(last.time.size(), alike.time.size());
    EXPECT_EQ(last.time.at(4), rows[appended].dateSeparator);
    EXPECT_EQ(last.time.at(13), rows[appended].timeSeparator);
}
