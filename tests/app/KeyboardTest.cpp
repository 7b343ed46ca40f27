// The window's keyboard: Ctrl+A starts or stops the link wherever the focus
// is, and the filtered edits keep every editing key.
#include "WindowTest.h"
#include "app/TFCOMM.h"
#include "recording/ReadingGrid.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

namespace {

class KeyboardTest : public WindowTest {
protected:
    std::vector<QLineEdit*> filteredEdits() const
    {
        return {window->RecordSITime, window->Maxrecord, window->T1LO,
                window->T1HI,         window->T2LO,      window->T2HI};
    }
};

TEST_F(KeyboardTest, CtrlARunsStartWhereverTheFocusIs)
{
    window->show();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QSignalSpy started(window->START1, &QAction::triggered);
    std::vector<QWidget*> targets{window->RepeatSet, window->DBGrid1->view()};
    for (QLineEdit* edit : filteredEdits())
        targets.push_back(edit);
    targets.push_back(window->T1_T2);
    int expected = 0;
    for (QWidget* target : targets) {
        SCOPED_TRACE(target->metaObject()->className());
        target->setFocus();
        ASSERT_TRUE(target->hasFocus());
        QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
        EXPECT_EQ(started.count(), ++expected);
        if (auto* edit = qobject_cast<QLineEdit*>(target)) {
            EXPECT_FALSE(edit->hasSelectedText()); // not taken as "select all"
        }
    }
}

} // namespace
