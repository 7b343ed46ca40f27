#include "ScriptedDialogs.h"

void ScriptedDialogs::information(const QString& text)
{
    shown.append({QStringLiteral("information"), QString(), text});
}

void ScriptedDialogs::message(const QString& text)
{
    shown.append({QStringLiteral("message"), QString(), text});
}

void ScriptedDialogs::error(const QString& caption, const QString& text)
{
    shown.append({QStringLiteral("error"), caption, text});
}

int ScriptedDialogs::choose(const QString& caption, const QString& text, const QStringList& answers)
{
    shown.append({QStringLiteral("question"), caption, text});
    const qsizetype chosen =
        choiceAnswers.isEmpty() ? -1 : answers.indexOf(choiceAnswers.takeFirst());
    return chosen < 0 ? int(answers.size() - 1) : int(chosen);
}

QString ScriptedDialogs::saveFileName(const FileDialogOptions& options)
{
    fileDialogs.append(options);
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QString ScriptedDialogs::openFileName(const FileDialogOptions& options)
{
    fileDialogs.append(options);
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QStringList ScriptedDialogs::texts() const
{
    QStringList result;
    for (const Shown& s : shown)
        result.append(s.text);
    return result;
}
