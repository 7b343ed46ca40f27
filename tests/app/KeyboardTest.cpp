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

namespace {

// Presses a key with the text the platform gives it (under X11, Delete
// carries U+007F and Ctrl+V may carry the control character or the letter).
void press(QLineEdit* edit, int key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(edit, &event);
}

using KeyboardTest = WindowTest;

TEST_F(KeyboardTest, CtrlARunsStartWhereverTheFocusIs)
{
    window->show();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QSignalSpy started(window->START1, &QAction::triggered);
    int expected = 0;
    for (QWidget* target :
         {static_cast<QWidget*>(window->RepeatSet), static_cast<QWidget*>(window->DBGrid1->view()),
          static_cast<QWidget*>(window->RecordSITime), static_cast<QWidget*>(window->T1LO),
          static_cast<QWidget*>(window->T1_T2)}) {
        SCOPED_TRACE(target->metaObject()->className());
        target->setFocus();
        QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
        EXPECT_EQ(started.count(), ++expected);
        if (auto* edit = qobject_cast<QLineEdit*>(target)) {
            EXPECT_FALSE(edit->hasSelectedText()); // not taken as "select all"
        }
    }
}

TEST_F(KeyboardTest, FilteredEditsKeepDeleteUndoAndPaste)
{
    struct Step {
        int key;
        Qt::KeyboardModifiers modifiers;
        QString text;
        QString result;
    };
    const Step steps[] = {
        {Qt::Key_Delete, Qt::NoModifier, "\x7f", "2"},
        {Qt::Key_Z, Qt::ControlModifier, "z", "12"},
        {Qt::Key_End, Qt::NoModifier, "", "12"},
        {Qt::Key_V, Qt::ControlModifier, "\x16", "1234"},
        {Qt::Key_V, Qt::ControlModifier, "v", "123434"},
        {Qt::Key_X, Qt::NoModifier, "x", "123434"}, // a typed letter is still dropped
    };
    QGuiApplication::clipboard()->setText(QStringLiteral("34"));
    for (QLineEdit* edit : {window->RecordSITime, window->Maxrecord, window->T1LO, window->T1HI,
                            window->T2LO, window->T2HI}) {
        edit->setText(QStringLiteral("12"));
        edit->setCursorPosition(0);
        for (const Step& step : steps) {
            press(edit, step.key, step.modifiers, step.text);
            EXPECT_EQ(edit->text(), step.result) << edit->x() << "," << edit->y();
        }
    }
}

} // namespace
