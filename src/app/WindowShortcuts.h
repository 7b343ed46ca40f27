#pragma once

#include <QObject>

class QWidget;

// Lets the shortcuts of a window's own actions win over its controls: a line
// edit would otherwise take Ctrl+A as "select all" and the window's Ctrl+A
// would never run while an edit has the focus.
class WindowShortcuts : public QObject {
public:
    // Watches the key events of every control of the window, for as long as
    // the window lives.
    static void giveWindowPriority(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit WindowShortcuts(QWidget* window);

    QWidget* window_;
};
