// Value texts and limit edits with the system locale's decimal comma.
#include "ScriptedDialogs.h"
#include "app/TFCOMM.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

class CommaLocaleTest : public ::testing::Test {
protected:
    CommaLocaleTest()
    {
        services.dialogs = &dialogs; // the separator comes from the system locale
        window = std::make_unique<TFCOMM>(services);
    }

    void show(const QString& frame)
    {
        window->State.CurrentFrame = frame;
        window->LcdDisplay81();
    }

    void type(QLineEdit* edit, const QString& text)
    {
        for (QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, c.unicode(), Qt::NoModifier, QString(c));
            QApplication::sendEvent(edit, &press);
        }
    }

    ScriptedDialogs dialogs;
    TFCOMMServices services;
    std::unique_ptr<TFCOMM> window;
};

TEST_F(CommaLocaleTest, WindowTakesTheCommaFromTheSystemLocale)
{
    EXPECT_EQ(window->DecimalSep, QStringLiteral(","));
}

TEST_F(CommaLocaleTest, ValueTextsCarryTheComma)
{
    show(QStringLiteral("30235100000000001DA"));
    EXPECT_EQ(window->T1VALUE->text(), QStringLiteral("-023,5"));
    EXPECT_EQ(window->State.ValueText, QStringLiteral("-023,5"));
    EXPECT_EQ(window->State.CurrentValue, -23.5);
}

TEST_F(CommaLocaleTest, LimitEditsTakeTheCommaAndJudgeWithIt)
{
    window->T1LO->selectAll();
    type(window->T1LO, QStringLiteral("23.,5"));
    EXPECT_EQ(window->T1LO->text(), QStringLiteral("23,5"));
    window->T1HI->selectAll();
    type(window->T1HI, QStringLiteral("23,5"));

    show(QStringLiteral("20235100000000001DA"));
    EXPECT_EQ(window->State.JudgeText, QStringLiteral("Pass"));
    show(QStringLiteral("20236100000000001DA"));
    EXPECT_EQ(window->State.JudgeText, QStringLiteral("Fail"));
}

} // namespace
