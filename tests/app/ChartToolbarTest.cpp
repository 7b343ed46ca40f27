// The chart's toolbar keeps the page number in view at any length.
#include "WindowTest.h"
#include "app/TFCOMM.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include <vector>

namespace {

class ChartToolbarTest : public WindowTest {
protected:
    // Left to right, the controls must not overlap, the leftmost stays right
    // of the link picture and Bt10 keeps its place beside BtNext.
    void expectToolbarInOrder() const
    {
        const std::vector<QWidget*> row{window->CONokN,     window->Maxrecord, window->BtFirst,
                                        window->BTPrevious, window->Bt10,      window->BtNext};
        for (size_t i = 0; i + 1 < row.size(); ++i)
            EXPECT_LT(row[i]->geometry().right(), row[i + 1]->x()) << "control " << i;
        EXPECT_EQ(window->Bt10->geometry().right(), 269);
        EXPECT_EQ(window->BtNext->x(), 272);
    }
};

TEST_F(ChartToolbarTest, PageNumberButtonShowsEveryDigit)
{
    // Page width 1: every reading opens a page, so the number grows quickly.
    window->Maxrecord->setText(QStringLiteral("1"));
    window->MaxrecordExit();
    for (int i = 0; i < 1001; ++i)
        window->ChartAddReading(20.0);
    ASSERT_EQ(window->Bt10->text(), QStringLiteral("1002"));
    EXPECT_GE(window->Bt10->width(), window->Bt10->sizeHint().width());
    expectToolbarInOrder();

    for (const QString number : {"100001", "10000001", "99999999", "1"}) {
        SCOPED_TRACE(number.toStdString());
        window->Bt10->setText(number);
        window->FitPageNumber();
        EXPECT_GE(window->Bt10->width(), window->Bt10->sizeHint().width());
        expectToolbarInOrder();
    }
    EXPECT_EQ(window->Bt10->width(), 22); // back to the design's button
}

} // namespace
