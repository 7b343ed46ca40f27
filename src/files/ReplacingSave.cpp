#include "files/ReplacingSave.h"

#include <QDir>
#include <QSaveFile>

namespace {

QString cannotCreateFile(const QString& fileName, const QString& reason)
{
    return QStringLiteral("Cannot create file %1. %2").arg(QDir::toNativeSeparators(fileName), reason);
}

} // namespace

QString cannotWriteFile(const QString& fileName, const QString& reason)
{
    return QStringLiteral("Cannot write file %1. %2").arg(QDir::toNativeSeparators(fileName), reason);
}

SaveOutcome saveReplacing(const QString& fileName, const std::function<bool(QIODevice&)>& write)
{
    SaveOutcome out;
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        out.error = cannotCreateFile(fileName, file.errorString());
        return out;
    }
    if (!write(file)) {
        if (file.error() != QFileDevice::NoError)
            out.error = cannotWriteFile(fileName, file.errorString());
        file.cancelWriting();
        return out;
    }
    // Unbuffered on purpose: commit() does not report buffered bytes that
    // cannot reach the disk, and the file's buffer loses the system's reason
    // of a short write ("Unknown error"). A small picture never left the
    // buffer before commit, which then replaced the old file with an empty
    // one and succeeded.
    if (!file.commit()) {
        out.error = cannotWriteFile(fileName, file.errorString());
        return out;
    }
    out.ok = true;
    return out;
}

bool writeAll(QIODevice& out, const char* data, qint64 size)
{
    while (size > 0) {
        const qint64 written = out.write(data, size);
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}
