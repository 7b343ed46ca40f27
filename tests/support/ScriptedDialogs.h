#pragma once

#include "app/UserDialogs.h"

#include <QStringList>

// Records every message the window shows and answers file dialogs from a
// queue (an empty answer is a cancel).
class ScriptedDialogs : public UserDialogs {
public:
    struct Shown {
        QString kind; // "information", "message" or "error"
        QString caption;
        QString text;
    };

    void information(const QString& text) override;
    void message(const QString& text) override;
    void error(const QString& caption, const QString& text) override;
    QString saveFileName(const FileDialogOptions& options) override;
    QString openFileName(const FileDialogOptions& options) override;

    QList<Shown> shown;
    QStringList fileAnswers;
    QList<FileDialogOptions> fileDialogs;

    QStringList texts() const;
    void clear() { shown.clear(); }
};
