#pragma once

#include "app/UserDialogs.h"

// Dialogs for benchmarks of the window: nothing is shown and every file
// dialog is cancelled, since a modal box would stop the measurement.
class SilentDialogs final : public UserDialogs {
public:
    void information(const QString&) override {}
    void message(const QString&) override {}
    void error(const QString&, const QString&) override {}
    QString saveFileName(const FileDialogOptions&) override { return {}; }
    QString openFileName(const FileDialogOptions&) override { return {}; }
    int choose(const QString&, const QString&, const QStringList&) override { return -1; }
};
