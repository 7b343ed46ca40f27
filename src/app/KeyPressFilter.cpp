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

namespace {

// Only a typed character goes to the handler: printable text, or backspace
// (character 8), which the filters let through. Delete (which carries
// U+007F under X11), the arrows, Home, End and shortcuts such as Ctrl+C,
// Ctrl+V, Ctrl+Z keep their editing meaning, whatever text the platform
// gives them. Ctrl+Alt is AltGr on some keyboards and types characters.
bool typesCharacter(const QKeyEvent* key)
{
    const QString text = key->text();
    if (text.isEmpty())
        return false;
    if (text.size() == 1 && text.at(0).unicode() == 8)
        return true;
    const Qt::KeyboardModifiers modifiers = key->modifiers();
    if ((modifiers & (Qt::ControlModifier | Qt::MetaModifier)) && !(modifiers & Qt::AltModifier))
        return false;
    for (const QChar c : text)
        if (!c.isPrint())
            return false;
    return true;
}

} // namespace

bool KeyPressFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != edit_ || event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    return typesCharacter(key) && handler_(edit_, key);
}
