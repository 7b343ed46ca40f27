// The grid shows the table through a window of the rows on screen and keeps
// the table's current row selected and visible.
#include "recording/ReadingGrid.h"
#include "recording/PaddedTextDelegate.h"
#include "recording/ReadingGridModel.h"
#include "recording/ReadingTable.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QKeyEvent>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyleFactory>
#include <QTableView>
#include <QTest>

namespace {

void record(ReadingTable& table, int count)
{
    const QDateTime when(QDate(2024, 5, 6), QTime(9, 3, 7));
    for (int i = 0; i < count; ++i) {
        const int no = table.rowCount() + 1;
        table.appendRecorded(no, when, QStringLiteral("T1"), QString::number(no),
                             QStringLiteral("#-K"), QStringLiteral("Pass"));
    }
}

class ReadingGridTest : public ::testing::Test {
protected:
    ReadingGridTest()
    {
        grid.resize(326, 147);
        grid.setTable(&table);
    }
    QString shown(int viewRow, ReadingField field) const
    {
        return grid.model()->index(viewRow, int(field)).data().toString();
    }
    void press(Qt::Key key)
    {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(grid.view(), &event);
    }

    ReadingTable table;
    ReadingGrid grid;
};

TEST_F(ReadingGridTest, ColumnsTitlesAndWidths)
{
    const QStringList titles{"No", "DateTime", "T1T2", "Value", "Unit", "Judge"};
    const int widths[] = {48, 110, 38, 42, 34};
    QTableView* view = grid.view();
    for (int c = 0; c < titles.size(); ++c)
        EXPECT_EQ(grid.model()->headerData(c, Qt::Horizontal).toString(), titles[c]);
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(view->columnWidth(c), widths[c]);
        EXPECT_FALSE(view->isColumnHidden(c));
    }
    EXPECT_TRUE(view->isColumnHidden(5)); // the judgement is stored, not shown
    EXPECT_TRUE(view->verticalHeader()->isHidden());
    EXPECT_EQ(view->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(view->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(view->font().pixelSize(), 11);
}

TEST_F(ReadingGridTest, EachAppendedRowIsSelectedAndVisible)
{
    const int onScreen = grid.fullRowsOnScreen();
    ASSERT_GE(onScreen, 5);
    record(table, 3);
    EXPECT_EQ(grid.firstShownRow(), 0);
    EXPECT_EQ(grid.selectedTableRow(), 2);
    EXPECT_EQ(shown(2, ReadingField::AValue), QStringLiteral("3"));

    record(table, 97);
    EXPECT_EQ(grid.selectedTableRow(), 99);
    EXPECT_EQ(grid.firstShownRow(), 100 - onScreen);
    EXPECT_EQ(shown(onScreen - 1, ReadingField::ANo), QStringLiteral("100"));
    EXPECT_EQ(shown(onScreen - 1, ReadingField::ATime), QStringLiteral("2024/05/06_09:03:07"));
    EXPECT_EQ(shown(onScreen - 1, ReadingField::AUnit), QStringLiteral("#-K"));
    EXPECT_EQ(grid.scrollBar()->maximum(), 100 - onScreen);
    EXPECT_EQ(grid.scrollBar()->value(), 100 - onScreen);
}

TEST_F(ReadingGridTest, KeysAndScrollBarMoveThroughTheWholeTable)
{
    record(table, 1000);
    press(Qt::Key_Home);
    EXPECT_EQ(table.currentRow(), 0);
    EXPECT_EQ(grid.firstShownRow(), 0);
    EXPECT_EQ(shown(0, ReadingField::ANo), QStringLiteral("1"));
    press(Qt::Key_Up); // stays on the first row
    EXPECT_EQ(table.currentRow(), 0);
    press(Qt::Key_PageDown);
    press(Qt::Key_Down);
    EXPECT_EQ(table.currentRow(), grid.fullRowsOnScreen() + 1);
    EXPECT_EQ(grid.selectedTableRow(), table.currentRow());
    press(Qt::Key_End);
    EXPECT_EQ(table.currentRow(), 999);
    EXPECT_EQ(shown(grid.fullRowsOnScreen() - 1, ReadingField::ANo), QStringLiteral("1000"));

    grid.scrollBar()->setValue(500); // scrolling moves the window, not the current row
    EXPECT_EQ(grid.firstShownRow(), 500);
    EXPECT_EQ(shown(0, ReadingField::ANo), QStringLiteral("501"));
    EXPECT_EQ(table.currentRow(), 999);
    EXPECT_EQ(grid.selectedTableRow(), -1);
}

TEST_F(ReadingGridTest, ClickingARowMakesItTheTablesCurrentRow)
{
    record(table, 40);
    grid.scrollBar()->setValue(10);
    grid.view()->selectionModel()->setCurrentIndex(
        grid.model()->index(2, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    EXPECT_EQ(table.currentRow(), 12);
}

TEST_F(ReadingGridTest, ClearAndReplaceShowTheNewContentFromTheTop)
{
    record(table, 50);
    table.clear();
    EXPECT_EQ(grid.model()->rowCount(), 0);
    EXPECT_EQ(grid.selectedTableRow(), -1);
    EXPECT_EQ(grid.scrollBar()->maximum(), 0);

    ReadingStore packet;
    for (int i = 0; i < 30; ++i) {
        ReadingRow row;
        row.no = 100 + i;
        packet.appendStoredRow(row, 0);
    }
    table.replaceAll(std::move(packet));
    EXPECT_EQ(grid.firstShownRow(), 0);
    EXPECT_EQ(shown(0, ReadingField::ANo), QStringLiteral("100"));
    EXPECT_EQ(grid.selectedTableRow(), 0);
}

TEST_F(ReadingGridTest, ModelStaysConsistentThroughGrowthScrollAndReset)
{
    QAbstractItemModelTester tester(grid.model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    record(table, 3);
    record(table, 30);
    grid.scrollBar()->setValue(0);
    grid.scrollBar()->setValue(grid.scrollBar()->maximum());
    grid.resize(326, 300); // more rows on screen
    grid.resize(326, 60);
    table.beginBulkUpdate();
    record(table, 5);
    table.endBulkUpdate();
    table.clear();
    record(table, 2);
    EXPECT_EQ(grid.model()->rowCount(), 2);
}

TEST(ReadingGridModel, WindowNeverReachesPastTheTable)
{
    ReadingTable table;
    record(table, 10);
    ReadingGridModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setStore(&table.rows());
    model.setWindow(0, 4);
    EXPECT_EQ(model.rowCount(), 4);
    model.setWindow(8, 4);
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.index(1, 0).data().toString(), QStringLiteral("10"));
    model.setWindow(2, 4);
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.index(0, 0).data().toString(), QStringLiteral("3"));
    EXPECT_FALSE(model.index(0, 0).flags().testFlag(Qt::ItemIsEditable));
}

} // namespace

// A style that puts an item's text right at its cell's border, as some
// desktop styles do.
class NoTextMarginStyle : public QProxyStyle {
public:
    NoTextMarginStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override
    {
        return metric == PM_FocusFrameHMargin ? -1
                                              : QProxyStyle::pixelMetric(metric, option, widget);
    }
};

TEST_F(ReadingGridTest, ValuesAreDrawnWholeAndClearOfTheColumnBorders)
{
    const QStringList values{"-023.5", "-888.8", "-1372", " 999.9", "-0L"};
    const QDateTime when(QDate(2024, 5, 6), QTime(9, 3, 7));
    for (const QString& value : values)
        table.appendRecorded(table.rowCount() + 1, when, QStringLiteral("T1"), value,
                             QStringLiteral("#-K"), QStringLiteral("Pass"));
    record(table, 1); // the current row, selected, is not looked at
    NoTextMarginStyle noMargin;
    QTableView* view = grid.view();
    for (QStyle* style : {view->style(), static_cast<QStyle*>(&noMargin)}) {
        view->setStyle(style);
        grid.show();
        const QImage shot = view->viewport()->grab().toImage();
        for (int row = 0; row < values.size(); ++row) {
            SCOPED_TRACE(values[row].toStdString());
            const QRect cell =
                view->visualRect(grid.model()->index(row, int(ReadingField::AValue)));
            const QRgb paper = shot.pixel(cell.center().x(), cell.top());
            int firstInk = -1, lastInk = -1;
            for (int x = cell.left(); x <= cell.right(); ++x)
                for (int y = cell.top(); y <= cell.bottom(); ++y)
                    if (shot.pixel(x, y) != paper) {
                        firstInk = firstInk < 0 ? x : firstInk;
                        lastInk = x;
                    }
            ASSERT_GE(firstInk, 0) << "no text drawn";
            EXPECT_GE(firstInk - cell.left(), PaddedTextDelegate::kPadding);
            EXPECT_GE(cell.right() - lastInk, PaddedTextDelegate::kPadding);
        }
    }
    view->setStyle(nullptr);
}

TEST(PaddedTextDelegate, WideTextsFitTheirRoomWithLettersCloserTogether)
{
    QFont wide(QStringLiteral("DejaVu Sans"));
    wide.setPixelSize(13);
    wide.setBold(true);
    for (const QString text : {"-023.5", "-888.8", "-1372"}) {
        const QFont fit = PaddedTextDelegate::fitting(wide, text, 38);
        EXPECT_LE(QFontMetrics(fit).horizontalAdvance(text), 38) << text.toStdString();
    }
    const QFont narrow = PaddedTextDelegate::fitting(wide, QStringLiteral("1"), 38);
    EXPECT_EQ(narrow.letterSpacing(), wide.letterSpacing()); // fits as it is
}
