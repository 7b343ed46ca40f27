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
    QString saveFileName(const FileDialogSpec& spec) override;
    QString openFileName(const FileDialogSpec& spec) override;

    QList<Shown> shown;
    QStringList fileAnswers;
    QList<FileDialogSpec> fileDialogs;

    QStringList texts() const;
    void clear() { shown.clear(); }
};
