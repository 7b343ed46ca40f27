#include "app/WindowShortcuts.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QWidget>

WindowShortcuts::WindowShortcuts(QWidget* window) : QObject(window), window_(window) {}

void WindowShortcuts::giveWindowPriority(QWidget* window)
{
    // On the application, so that controls added later are covered too; the
    // filter goes away with the window.
    qApp->installEventFilter(new WindowShortcuts(window));
}

bool WindowShortcuts::eventFilter(QObject* watched, QEvent* event)
{
    // Before a key reaches the focused control as a shortcut, the control is
    // asked whether it wants the key itself (ShortcutOverride). Leaving that
    // question unanswered hands the key to the shortcut.
    if (event->type() != QEvent::ShortcutOverride || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != window_)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const QKeySequence pressed(key->keyCombination());
    for (const QAction* action : window_->actions()) {
        if (action->isEnabled() && action->shortcut() == pressed) {
            event->ignore();
            return true;
        }
    }
    return false;
}
