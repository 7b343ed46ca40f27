#pragma once

#include "app/UserDialogs.h"

#include <QStringList>

// Records every message the window shows and answers file dialogs from a
// queue (an empty answer is a cancel) and questions from another (none
// left: the box is closed, which gives the last answer).
class ScriptedDialogs : public UserDialogs {
public:
    struct Shown {
        QString kind; // "information", "message", "error" or "question"
        QString caption;
        QString text;
    };

    void information(const QString& text) override;
    void message(const QString& text) override;
    void error(const QString& caption, const QString& text) override;
    int choose(const QString& caption, const QString& text, const QStringList& answers) override;
    QString saveFileName(const FileDialogOptions& options) override;
    QString openFileName(const FileDialogOptions& options) override;

    QList<Shown> shown;
    QStringList fileAnswers;
    QStringList choiceAnswers; // answer texts, as the buttons say them
    QList<FileDialogOptions> fileDialogs;

    QStringList texts() const;
    void clear() { shown.clear(); }
};
