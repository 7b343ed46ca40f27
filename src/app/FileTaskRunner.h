#pragma once

#include <QString>

#include <functional>

class QWidget;
struct FileProgress;

// Runs one file operation on a worker thread and returns when it has ended.
// Meanwhile the caller's event loop keeps running, so readings go on being
// recorded and painted; after half a second a progress dialog, modal to the
// window, shows the progress and offers Cancel, which sets the progress's
// cancel request. The work itself must touch nothing but the progress and
// what it was given.
void runFileTask(QWidget* window, const QString& label, FileProgress& progress,
                 const std::function<void()>& work);
