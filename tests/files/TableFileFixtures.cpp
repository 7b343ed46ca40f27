#include "TableFileFixtures.h"

#include <QDateTime>
#include <QFile>

namespace fixtures {

QString dataPath(const QString& name)
{
    return QStringLiteral(THERMO_FILES_DATA "/") + name;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

ReadingStore threeRecorded()
{
    ReadingStore store;
    const QDateTime start(QDate(2024, 5, 6), QTime(9, 3, 7));
    const TimeStampFormat format;
    store.appendRecorded(1, start, format, "T1", " 23.5", "#-K", "Pass");
    store.appendRecorded(2, start.addSecs(1), format, "T1", " 23.6", "#-K", "Fail");
    store.appendRecorded(3, start.addSecs(2), format, "T2", "-10.2", "#-K", "Pass");
    return store;
}

ReadingStore mixedRows()
{
    ReadingStore store;
    store.appendRow({7, "2024/05/06_09:03:07", "T1-T2", " 1.5", "#-K", ""});
    store.appendRow({8, "2024/05/06_09:03:08", "T2", "-0.5", QString::fromUtf8("\u00b0C"), "Fail"});
    store.appendRow({-3, "x", "T1", QString::fromUtf8("\U0001F600"), "#-K", "Pass"});
    store.appendRow({std::nullopt, "<>&'\"", "a\rb\nc\td\\e", "  padded  ",
                     QString::fromUtf8("\u00e9"), QString::fromUtf8("\u20ac")});
    return store;
}

} // namespace fixtures
