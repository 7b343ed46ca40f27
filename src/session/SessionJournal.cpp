#include "session/SessionJournal.h"

#include "journal/TableJournal.h"
#include "session/LoggerSession.h"

#include <QCoreApplication>
#include <QDir>

SessionJournal::SessionJournal(LoggerSession& session, const QString& folder, QObject* parent)
    : QObject(parent), session_(session), folder_(folder)
{
    claimRetry_.setInterval(kClaimRetryMs);
    connect(&claimRetry_, &QTimer::timeout, this, &SessionJournal::claim);
}

SessionJournal::~SessionJournal() = default;

void SessionJournal::start()
{
    if (!finished_ && !journal_)
        claim();
}

bool SessionJournal::claim()
{
    if (finished_ || journal_)
        return true;
    if (!folder_.claim()) {
        if (!claimFailed_) {
            claimFailed_ = true;
            emit trouble(troubleText(folder_.error()));
        }
        claimRetry_.start();
        return false;
    }
    claimRetry_.stop();
    claimFailed_ = false;
    journal_ =
        std::make_unique<TableJournal>(session_.table(), session_.state(), folder_.journalFile());
    // Emitted from the writer's thread; queued to this one. The writer tries
    // again by itself and writes the whole table anew when it can.
    connect(&journal_->writer(), &JournalWriter::failed, this, &SessionJournal::writerFailed);
    journal_->start();
    return true;
}

void SessionJournal::writerFailed(const QString& reason)
{
    if (journal_)
        emit trouble(troubleText(reason));
}

QString SessionJournal::troubleText(const QString& reason) const
{
    return QCoreApplication::translate(
               "SessionJournal",
               "The recording is no longer protected against a crash or a power cut: its "
               "journal in %1 cannot be written (%2).\n\n"
               "Recording goes on, but only in memory; save the table to a file to keep it. "
               "The journal is written again as soon as that is possible.")
        .arg(QDir::toNativeSeparators(folder_.path()), reason);
}

void SessionJournal::finish()
{
    finished_ = true;
    claimRetry_.stop();
    journal_.reset(); // the writer commits and stops before its file goes
    folder_.removeJournal();
}

bool SessionJournal::waitUntilCommitted(int timeoutMs)
{
    if (!journal_)
        return false;
    journal_->countersChanged();
    return journal_->writer().waitUntilCommitted(timeoutMs);
}

RestoredJournal SessionJournal::restore(const QString& journalFile)
{
    RestoredJournal restored = restoreJournal(journalFile);
    if (!restored.ok)
        return restored;
    ReadingTable& table = session_.table();
    LoggerState& state = session_.state();
    // The counters first: the journal hands them over with the rows.
    state.NextRecordNo = restored.nextRecordNo;
    state.RecordCount = restored.recordCount;
    table.replaceAll(std::move(restored.rows));
    table.setCurrentRow(table.rowCount() - 1);
    if (restored.message.isEmpty() && waitUntilCommitted())
        discard(journalFile);
    return restored;
}

bool SessionJournal::discard(const QString& journalFile)
{
    return JournalFolder::removeFiles(journalFile);
}
