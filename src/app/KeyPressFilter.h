#pragma once

#include <QObject>

#include <functional>

class QKeyEvent;
class QLineEdit;

// Routes the typed characters of an edit through a key-press handler before
// the edit sees them, so that numeric edits can drop unwanted characters.
// The handler returns true to discard the key. Keys that type no character
// (arrows, Delete, shortcuts such as Ctrl+V) are not offered to it, even
// where the platform gives them a text.
class KeyPressFilter : public QObject {
public:
    using Handler = std::function<bool(QLineEdit*, QKeyEvent*)>;

    static void install(QLineEdit* edit, Handler handler);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    KeyPressFilter(QLineEdit* edit, Handler handler);

    QLineEdit* edit_;
    Handler handler_;
};
