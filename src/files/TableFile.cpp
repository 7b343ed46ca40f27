#include "files/TableFile.h"

#include "files/FileProgress.h"
#include "files/TextFileReader.h"
#include "files/TextFileWriter.h"
#include "files/XmlPacketReader.h"
#include "files/XmlPacketWriter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>

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
    bool written = true;
    SaveOutcome out = saveReplacing(fileName, [&](QIODevice& file) {
        return written = writeTable(formatForFileName(fileName), rows, file, progress);
    });
    if (!written) {
        out.cancelled = progress && progress->cancelled();
        if (out.error.isEmpty())
            out.error = QStringLiteral("The table changed while %1 was written.")
                            .arg(QDir::toNativeSeparators(fileName));
    }
    return out;
}

LoadOutcome loadTableFile(const QString& fileName, FileProgress* progress)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return LoadOutcome::failure(file.errorString());
    return readTable(formatForFileName(fileName), file, progress);
}
