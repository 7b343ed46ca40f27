#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

class QIODevice;

struct SaveOutcome {
    bool ok = false;
    bool cancelled = false;
    QString error; // with the system's own words, e.g. "Cannot write file /d/a.bmp. No space left on device"
};

// Saves through a temporary file that replaces the named one only once every
// byte has reached it, so a failed save leaves an existing file as it was and
// nothing half written behind. write puts the content on the device (with
// writeAll) and says whether it all went out; the device is unbuffered, so
// every refusal of the disk reaches write with the system's reason. A failure of the file gives "Cannot create file"
// or "Cannot write file" with the native name and the system's reason; when
// write gives up while the file itself reports no error, the error is left
// empty for the caller to say why.
SaveOutcome saveReplacing(const QString& fileName, const std::function<bool(QIODevice&)>& write);

// "Cannot write file <native name>. <reason>": how every failed save reads.
QString cannotWriteFile(const QString& fileName, const QString& reason);

// Writes all bytes. A file may take only part of them (at its size limit or
// on a full disk) without reporting an error; the rest is offered again, so
// that the refusal which follows carries the system's reason.
bool writeAll(QIODevice& out, const char* data, qint64 size);
