#include "app/KeyPressFilter.h"

#include <QKeyEvent>
#include <QLineEdit>

KeyPressFilter::KeyPressFilter(QLineEdit* edit, Handler handler)
    : QObject(edit), edit_(edit), handler_(std::move(handler))
{
}

void KeyPressFilter::install(QLineEdit* edit, Handler handler)
{
    edit->installEventFilter(new KeyPressFilter(edit, std::move(handler)));
}

bool KeyPressFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != edit_ || event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const QString text = key->text();
    // Backspace types character 8 and is offered; other control characters
    // (Ctrl+V, Ctrl+C, ...) keep their editing meaning.
    if (text.isEmpty() || (text.at(0).unicode() < 32 && text.at(0).unicode() != 8))
        return false;
    return handler_(edit_, key);
}
