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
