// The window's keyboard: Ctrl+A starts or stops the link wherever the focus
// is, and the filtered edits keep every editing key.
#include "WindowTest.h"
#include "app/TFCOMM.h"
#include "recording/ReadingGrid.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <string>
#include <vector>

namespace {

// Presses a key with the text the platform gives it (under X11, Delete
// carries U+007F and Ctrl+V may carry the control character or the letter).
void press(QLineEdit* edit, int key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(edit, &event);
}

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

TEST_F(KeyboardTest, FilteredEditsKeepDeleteUndoAndPaste)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("34"));
    const std::vector<QLineEdit*> edits = filteredEdits();
    for (size_t i = 0; i < edits.size(); ++i) {
        QLineEdit* edit = edits[i];
        SCOPED_TRACE("edit " + std::to_string(i));
        edit->setText(QStringLiteral("12"));
        edit->setCursorPosition(0);
        press(edit, Qt::Key_Delete, Qt::NoModifier, QStringLiteral("\x7f"));
        EXPECT_EQ(edit->text(), QStringLiteral("2"));
        press(edit, Qt::Key_Z, Qt::ControlModifier, QStringLiteral("z"));
        EXPECT_EQ(edit->text(), QStringLiteral("12"));
        press(edit, Qt::Key_End, Qt::NoModifier, QString());
        press(edit, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
        EXPECT_EQ(edit->text(), QStringLiteral("1234"));
        press(edit, Qt::Key_V, Qt::ControlModifier, QStringLiteral("v"));
        EXPECT_EQ(edit->text(), QStringLiteral("123434"));
        press(edit, Qt::Key_X, Qt::NoModifier, QStringLiteral("x")); // still filtered
        EXPECT_EQ(edit->text(), QStringLiteral("123434"));
    }
}

} // namespace
