// The window as the user first sees it.
#include "WindowTest.h"
#include "app/TFCOMM.h"
#include "lcd/LcdLabel.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace {

class StartupTest : public WindowTest {
protected:
};

TEST_F(StartupTest, CaptionAndFixedClientArea)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Kelvane Interface Program V3.01"));
    EXPECT_EQ(window->centralWidget()->size(), QSize(726, 495));
    EXPECT_EQ(window->minimumSize(), window->maximumSize()); // not resizable
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
}

TEST_F(StartupTest, ReadoutShowsTheDesignTexts)
{
    EXPECT_EQ(window->LcdD4->text() + window->LcdD3->text() + window->LcdD2->text() +
                  window->LcdD1->text(),
              QStringLiteral("3999"));
    EXPECT_EQ(window->LcdFH->text(), QStringLiteral("-"));
    EXPECT_EQ(window->LcdTX->text(), QStringLiteral("T1"));
    EXPECT_EQ(window->LCDTYPE->text(), QStringLiteral("K"));
    EXPECT_EQ(window->LcdTimeT->text(), QStringLiteral("H:M"));
    EXPECT_EQ(window->LCDTime->text(), QStringLiteral("00:00"));
    EXPECT_EQ(window->LCDC->text(), QStringLiteral("#"));
    EXPECT_TRUE(window->LcdP1->isHidden());
    EXPECT_FALSE(window->LcdP0->isHidden());
    EXPECT_FALSE(window->LcdP2->isHidden());
}

TEST_F(StartupTest, ControlsInTheirDesignState)
{
    EXPECT_EQ(window->USBCon->text(), QStringLiteral("USB Connection"));
    EXPECT_FALSE(window->USBCon->isChecked());
    EXPECT_FALSE(window->RecallData->isChecked());
    EXPECT_TRUE(window->B2400->isChecked());
    EXPECT_TRUE(window->B2400->isHidden());
    EXPECT_TRUE(window->B4800->isHidden());
    EXPECT_TRUE(window->B9600->isHidden());
    for (QLineEdit* edit : {window->T1LO, window->T1VALUE, window->T1HI, window->T2LO,
                            window->T2VALUE, window->T2HI, window->T1_T2})
        EXPECT_EQ(edit->text(), QStringLiteral("0"));
    EXPECT_TRUE(window->T1VALUE->isReadOnly());
    EXPECT_TRUE(window->T2VALUE->isReadOnly());
    EXPECT_TRUE(window->RepeatSet->isChecked());
    EXPECT_TRUE(window->RecordSI->isChecked());
    EXPECT_EQ(window->RecordSITime->text(), QStringLiteral("1"));
    EXPECT_EQ(window->Maxrecord->text(), QStringLiteral("100"));
    EXPECT_EQ(window->Bt10->text(), QStringLiteral("1"));
    EXPECT_EQ(window->Chtshow->geometry(), QRect(330, 33, 391, 456));
    EXPECT_TRUE(window->CONok->isHidden());
}

TEST_F(StartupTest, SharedStateStartValues)
{
    EXPECT_EQ(window->State.NextRecordNo, 1);
    EXPECT_EQ(window->State.RecordLimit, 10000);
    EXPECT_EQ(window->State.RecordCount, 0);
    EXPECT_EQ(window->DecimalSep, QStringLiteral("."));
    EXPECT_EQ(window->ActiveCable, nullptr);
}

} // namespace
