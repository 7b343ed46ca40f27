#pragma once

#include <QObject>

class QWidget;

// Tells when the keyboard focus leaves a control for another control of the
// window (not when a popup opens or the window is left). A signal rather
// than a callback, so that the window can cut it when it is destroyed.
class FocusExitFilter : public QObject {
    Q_OBJECT

public:
    static FocusExitFilter* install(QWidget* control);

signals:
    void exited();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit FocusExitFilter(QWidget* control);
};
