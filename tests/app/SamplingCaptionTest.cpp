// The "'S" of the sampling-interval caption stays in view beside the edit.
#include "WindowTest.h"
#include "app/GapCaptionCheckBox.h"
#include "app/TFCOMM.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QLineEdit>
#include <QToolButton>

namespace {

// Runs of columns with dark pixels within the band.
int inkRuns(const QImage& image, const QRect& band)
{
    int runs = 0;
    bool inRun = false;
    for (int x = band.left(); x <= band.right(); ++x) {
        bool ink = false;
        for (int y = band.top(); y <= band.bottom() && !ink; ++y)
            ink = qGray(image.pixel(x, y)) < 128;
        runs += ink && !inRun;
        inRun = ink;
    }
    return runs;
}

using SamplingCaptionTest = WindowTest;

TEST_F(SamplingCaptionTest, SecondsMarkShowsRightOfTheIntervalEdit)
{
    EXPECT_EQ(window->RecordSI->text(), QStringLiteral("Sampling Interval           'S"));
    const QRect edit = window->RecordSITime->geometry();
    // Between the edit and the picture buttons the user sees both the
    // apostrophe and the S.
    const QRect band(edit.right() + 1, window->RecordSI->y(),
                     window->RecordNew->x() - edit.right() - 2, window->RecordSI->height());
    const QImage client = window->centralWidget()->grab().toImage();
    EXPECT_GE(inkRuns(client, band), 2);

    const auto* box = dynamic_cast<GapCaptionCheckBox*>(window->RecordSI);
    ASSERT_NE(box, nullptr);
    const QRect tail = box->tailRect().translated(box->pos());
    EXPECT_GT(tail.left(), edit.right());
    EXPECT_LT(tail.right(), window->RecordNew->x());
}

} // namespace
