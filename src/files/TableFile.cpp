#include "files/TableFile.h"

#include "files/FileProgress.h"
#include "files/TextFileReader.h"
#include "files/TextFileWriter.h"
#include "files/XmlPacketReader.h"
#include "files/XmlPacketWriter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QSaveFile>

TableFormat formatForFileName(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QStringView extension = dot < 0 ? QStringView() : QStringView(fileName).sliced(dot);
    return extension.compare(QLatin1String(".xml"), Qt::CaseInsensitive) == 0
               ? TableFormat::XmlPacket
               : TableFormat::Text;
}

bool writeTable(TableFormat format, const RowSource& rows, QIODevice& out, FileProgress* progress)
{
    return format == TableFormat::XmlPacket ? writeXmlPacket(rows, out, progress)
                                            : writeTextFile(rows, out, progress);
}

LoadOutcome readTable(TableFormat format, QIODevice& in, FileProgress* progress)
{
    return format == TableFormat::XmlPacket ? readXmlPacket(in, progress)
                                            : readTextFile(in, progress);
}

LoadOutcome readTableBytes(TableFormat format, const QByteArray& bytes, qsizetype blockBytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return format == TableFormat::XmlPacket ? readXmlPacket(buffer, nullptr, blockBytes)
                                            : readTextFile(buffer, nullptr, blockBytes);
}

SaveOutcome saveTableFile(const QString& fileName, const RowSource& rows, FileProgress* progress)
{
    SaveOutcome out;
    const QString shown = QDir::toNativeSeparators(fileName);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        out.error = QStringLiteral("Cannot create file %1. %2").arg(shown, file.errorString());
        return out;
    }
    const bool written = writeTable(formatForFileName(fileName), rows, file, progress);
    if (!written) {
        out.cancelled = progress && progress->cancelled();
        out.error = file.error() != QFileDevice::NoError
                        ? QStringLiteral("Cannot write file %1. %2").arg(shown, file.errorString())
                        : QStringLiteral("The table changed while %1 was written.").arg(shown);
        file.cancelWriting();
        return out;
    }
    // The last bytes may still wait in the file's buffer, and commit() does
    // not report a buffer that cannot reach the disk: flushed and checked
    // here, or a full disk would give a short file and a success.
    if (!file.flush()) {
        out.error = QStringLiteral("Cannot write file %1. %2").arg(shown, file.errorString());
        file.cancelWriting();
        return out;
    }
    if (!file.commit()) {
        out.error = QStringLiteral("Cannot write file %1. %2").arg(shown, file.errorString());
        return out;
    }
    out.ok = true;
    return out;
}

LoadOutcome loadTableFile(const QString& fileName, FileProgress* progress)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return LoadOutcome::failure(file.errorString());
    return readTable(formatForFileName(fileName), file, progress);
}
