// Captions that must stay in view: the chart's page number at any length and
// the "'S" beside the interval edit.
#include "WindowTest.h"
#include "app/GapCaptionCheckBox.h"
#include "app/TFCOMM.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include <vector>

namespace {

using FormLayoutTest = WindowTest;

TEST_F(FormLayoutTest, PageNumberButtonGrowsLeftToShowEveryDigit)
{
    window->Maxrecord->setText(QStringLiteral("1")); // a page per reading
    window->MaxrecordExit();
    for (int i = 0; i < 1001; ++i)
        window->ChartAddReading(20.0);
    ASSERT_EQ(window->Bt10->text(), QStringLiteral("1002"));
    for (const QString number : {"", "100001", "99999999", "1"}) {
        SCOPED_TRACE(number.toStdString());
        if (!number.isEmpty()) {
            window->Bt10->setText(number);
            window->FitPageNumber();
        }
        EXPECT_GE(window->Bt10->width(), window->Bt10->sizeHint().width());
        const std::vector<QWidget*> row{window->CONokN,     window->Maxrecord, window->BtFirst,
                                        window->BTPrevious, window->Bt10,      window->BtNext};
        for (size_t i = 0; i + 1 < row.size(); ++i)
            EXPECT_LT(row[i]->geometry().right(), row[i + 1]->x()) << "control " << i;
        EXPECT_EQ(window->Bt10->geometry().right(), 269); // beside BtNext, as designed
    }
    EXPECT_EQ(window->Bt10->width(), 22);
}

TEST_F(FormLayoutTest, SecondsMarkShowsRightOfTheIntervalEdit)
{
    EXPECT_EQ(window->RecordSI->text(), QStringLiteral("Sampling Interval           'S"));
    // Between the edit and the picture buttons: separate ink for ' and S.
    const QRect edit = window->RecordSITime->geometry();
    const QImage client = window->centralWidget()->grab().toImage();
    int runs = 0;
    bool inRun = false;
    for (int x = edit.right() + 1; x < window->RecordNew->x(); ++x) {
        bool ink = false;
        for (int y = window->RecordSI->y(); y <= window->RecordSI->geometry().bottom(); ++y)
            ink = ink || qGray(client.pixel(x, y)) < 128;
        runs += ink && !inRun;
        inRun = ink;
    }
    EXPECT_GE(runs, 2);
    const auto* box = dynamic_cast<GapCaptionCheckBox*>(window->RecordSI);
    ASSERT_NE(box, nullptr);
    EXPECT_GT(box->tailRect().translated(box->pos()).left(), edit.right());
    QTest::mouseClick(window->RecordSI, Qt::LeftButton, {}, box->tailRect().center());
    EXPECT_FALSE(window->RecordSI->isChecked()); // the "'S" is part of the box
}

} // namespace
