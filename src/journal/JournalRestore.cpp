#include "journal/JournalRestore.h"

#include "journal/JournalSchema.h"
#include "journal/SqliteDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sqlite3.h>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("JournalRestore", text);
}

// Opens read-only, so that SQLite neither writes nor checkpoints into the
// file, then checks that it is a journal of this schema. Empty on success,
// else the reason.
QString openJournal(SqliteDatabase& db, const QString& fileName)
{
    if (!QFileInfo::exists(fileName))
        return tr("the file does not exist");
    if (!db.open(fileName, true))
        return db.error();
    const auto version = db.queryInt("PRAGMA user_version");
    if (!version)
        return db.error();
    if (*version != kJournalSchemaVersion)
        return tr("it is not a journal of this program's version (schema %1, expected %2)")
            .arg(*version)
            .arg(kJournalSchemaVersion);
    return {};
}

QString failure(const QString& fileName, const QString& reason)
{
    return tr("The journal %1 cannot be read: %2.").arg(QDir::toNativeSeparators(fileName), reason);
}

// Rows from position `after` on; returns the last position read, and sets
// `damaged` when SQLite stopped at a page it could not read.
qint64 readRows(SqliteDatabase& db, qint64 after, ReadingStore& store, bool& damaged)
{
    SqliteStatement query;
    damaged = !query.prepare(db, "SELECT pos, record_no, time_stamp, channel, value, unit,"
                                 " judge, row_state FROM reading WHERE pos > ? ORDER BY pos");
    if (damaged)
        return after;
    query.bind(1, after);
    int rc = SQLITE_ROW;
    while ((rc = query.step()) == SQLITE_ROW) {
        ReadingRow row;
        if (!query.isNull(1))
            row.no = static_cast<qint32>(query.intAt(1));
        row.time = query.textAt(2);
        row.channel = query.textAt(3);
        row.value = query.textAt(4);
        row.unit = query.textAt(5);
        row.judge = query.textAt(6);
        store.appendStoredRow(row, static_cast<qint32>(query.intAt(7)));
        after = query.intAt(0);
    }
    damaged = rc != SQLITE_DONE;
    return after;
}

} // namespace

JournalSummary readJournalSummary(const QString& fileName)
{
    JournalSummary summary;
    summary.fileName = fileName;
    SqliteDatabase db;
    QString reason = openJournal(db, fileName);
    SqliteStatement query;
    if (reason.isEmpty()) {
        // max(pos) rather than count(*): found in the index at once, however
        // many rows; positions run 1..n.
        if (query.prepare(db, "SELECT started, ended, (SELECT ifnull(max(pos), 0) FROM reading)"
                              " FROM recording WHERE id = 1") &&
            query.step() == SQLITE_ROW) {
            summary.started = QDateTime::fromString(query.textAt(0), Qt::ISODateWithMs);
            summary.ended = QDateTime::fromString(query.textAt(1), Qt::ISODateWithMs);
            summary.rowCount = query.intAt(2);
        } else {
            reason = db.lastMessage();
        }
    }
    if (!reason.isEmpty())
        summary.error = failure(fileName, reason);
    return summary;
}

namespace {

// A file cut short: SQLite refuses even its schema when the file is shorter
// than its header says. A copy padded with zeros to that length reads up to
// the cut. Gives the copy's name in `folder`, or empty when not cut short.
QString paddedCopy(const QString& fileName, const QTemporaryDir& folder)
{
    QFile file(fileName);
    if (!folder.isValid() || !file.open(QIODevice::ReadOnly))
        return {};
    // Header: "SQLite format 3\0", page size at byte 16 (2 bytes, 1 meaning
    // 65536), page count at byte 28 (4 bytes), both big-endian.
    const QByteArray header = file.read(100);
    if (header.size() < 100 || !header.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return {};
    const auto byte = [&](int i) { return static_cast<qint64>(static_cast<quint8>(header[i])); };
    qint64 pageSize = byte(16) << 8 | byte(17);
    if (pageSize == 1)
        pageSize = 65536;
    const qint64 pages = byte(28) << 24 | byte(29) << 16 | byte(30) << 8 | byte(31);
    const qint64 size = pageSize * pages;
    if (file.size() >= size || size > (qint64{1} << 40))
        return {};
    const QString copy = folder.filePath(QStringLiteral("padded.sqlite"));
    if (!QFile::copy(fileName, copy) || !QFile::resize(copy, size))
        return {};
    if (QFile::exists(fileName + "-wal"))
        QFile::copy(fileName + "-wal", copy + "-wal");
    return copy;
}

RestoredJournal restoreFrom(const QString& source, const QString& fileName)
{
    RestoredJournal out;
    SqliteDatabase db;
    if (const QString reason = openJournal(db, source); !reason.isEmpty()) {
        out.message = failure(fileName, reason);
        return out;
    }
    // Past a damaged page, read on from positions further and further
    // ahead, so that rows behind the damage are restored too.
    bool damaged = false;
    qint64 last = readRows(db, 0, out.rows, damaged);
    for (qint64 skip = 1; damaged && skip < (qint64{1} << 32); skip *= 2) {
        const int before = out.rows.rowCount();
        const qint64 reached = readRows(db, last + skip, out.rows, damaged);
        if (out.rows.rowCount() > before) {
            last = reached;
            skip = 1;
        }
    }
    const bool rowsLost = damaged || last != out.rows.rowCount();

    ChangeList changes;
    SqliteStatement query;
    int rc = SQLITE_ERROR;
    if (query.prepare(db, "SELECT a, b, c FROM change_list ORDER BY seq")) {
        while ((rc = query.step()) == SQLITE_ROW)
            changes.append({query.intAt(0), query.intAt(1), query.intAt(2)});
    }
    const bool changesLost = rc != SQLITE_DONE;
    out.rows.setChanges(std::move(changes));

    bool countersLost = true;
    if (query.prepare(db, "SELECT next_record_no, record_count FROM recording WHERE id = 1") &&
        query.step() == SQLITE_ROW) {
        out.nextRecordNo = static_cast<qint32>(query.intAt(0));
        out.recordCount = static_cast<qint32>(query.intAt(1));
        countersLost = false;
    }

    out.ok = !out.rows.isEmpty() || !(rowsLost || changesLost || countersLost);
    if (!out.ok)
        out.message = failure(fileName, db.lastMessage());
    else if (rowsLost || changesLost || countersLost)
        out.message = tr("The journal %1 is damaged: %2 rows were restored%3%4.")
                          .arg(QDir::toNativeSeparators(fileName))
                          .arg(out.rows.rowCount())
                          .arg(rowsLost ? tr(", others could not be read") : QString())
                          .arg(changesLost || countersLost
                                   ? tr(", the change list or counters are incomplete")
                                   : QString());
    return out;
}

} // namespace

RestoredJournal restoreJournal(const QString& fileName)
{
    RestoredJournal out = restoreFrom(fileName, fileName);
    if (out.ok && out.message.isEmpty())
        return out;
    const QTemporaryDir folder;
    if (const QString copy = paddedCopy(fileName, folder); !copy.isEmpty()) {
        RestoredJournal padded = restoreFrom(copy, fileName);
        if (padded.ok && padded.rows.rowCount() >= out.rows.rowCount())
            return padded;
    }
    return out;
}
