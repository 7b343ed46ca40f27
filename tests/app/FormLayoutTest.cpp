// Captions that must stay in view: the chart's page number at any length and
// the "'S" beside the interval edit.
#include "WindowTest.h"
#include "app/GapCaptionCheckBox.h"
#include "app/PageNumberButton.h"
#include "app/TFCOMM.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include <utility>
#include <vector>

namespace {

using FormLayoutTest = WindowTest;

TEST_F(FormLayoutTest, ToolbarStaysInPlaceForPageNumbersOfOneToEightDigits)
{
    // The places of the design, in chart coordinates.
    const std::vector<std::pair<QWidget*, QRect>> toolbar{
        {window->CONokN, {5, 2, 20, 20}},      {window->Maxrecord, {154, 5, 41, 21}},
        {window->BtFirst, {200, 5, 22, 22}},   {window->BTPrevious, {224, 5, 22, 22}},
        {window->Bt10, {248, 5, 22, 22}},      {window->BtNext, {272, 5, 22, 22}},
        {window->BTlast, {296, 5, 22, 22}},    {window->BtNew, {328, 5, 22, 22}},
        {window->BtSave, {354, 5, 22, 22}}};
    const auto* page = dynamic_cast<PageNumberButton*>(window->Bt10);
    ASSERT_NE(page, nullptr);
    const int fullPixels = QFontInfo(page->font()).pixelSize();

    window->Maxrecord->setText(QStringLiteral("1")); // a page per reading
    window->MaxrecordExit();
    for (int i = 0; i < 1001; ++i)
        window->ChartAddReading(20.0);
    ASSERT_EQ(window->Bt10->text(), QStringLiteral("1002"));
    for (const QString number : {"", "1", "10", "99", "100", "888", "9999", "10000", "100001",
                                 "4444444", "99999999", "10000000", "1"}) {
        SCOPED_TRACE(number.toStdString());
        if (!number.isEmpty())
            window->Bt10->setText(number);
        for (const auto& [control, place] : toolbar)
            EXPECT_EQ(control->geometry(), place) << control->objectName().toStdString();

        // Every digit drawn inside the button, at a size still read.
        const PageNumberButton::Caption caption = page->caption();
        EXPECT_EQ(caption.lines.join(QString()), window->Bt10->text());
        const QFontMetrics metrics(caption.font);
        int inkHeight = 0;
        for (const QString& line : caption.lines) {
            EXPECT_LE(metrics.tightBoundingRect(line).width(), page->captionRect().width());
            inkHeight += metrics.tightBoundingRect(line).height();
        }
        EXPECT_LE(inkHeight, page->captionRect().height());
        EXPECT_GE(caption.font.pixelSize(), PageNumberButton::kSmallestPixels);
        // A short number keeps the button's own font on one line.
        if (window->Bt10->text().size() <= 2) {
            EXPECT_EQ(caption.lines.size(), 1);
            EXPECT_EQ(caption.font.pixelSize(), fullPixels);
        }
    }
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
