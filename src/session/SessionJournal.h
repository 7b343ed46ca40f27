#pragma once

#include "journal/JournalFolder.h"

#include <QObject>
#include <QTimer>

#include <memory>

class LoggerSession;
class TableJournal;

// The life of one session's journal: claims a journal of this program's own
// in a folder and keeps the session's table and counters mirrored into it,
// offers what earlier programs left behind, and removes its own journal only
// on a clean end. Any other end (a crash, a signal, a power cut) leaves the
// journal for the next start. Qt Core only, GUI thread only; the session
// must outlive this object.
class SessionJournal : public QObject {
    Q_OBJECT

public:
    static constexpr int kClaimRetryMs = 5000;

    SessionJournal(LoggerSession& session, const QString& folder, QObject* parent = nullptr);
    ~SessionJournal() override; // commits what was recorded; the journal stays

    // Claims the journal and starts mirroring the table as it stands. A
    // folder that cannot be written is reported through trouble() and tried
    // again every kClaimRetryMs; recording goes on in memory meanwhile.
    void start();
    // A clean end: stops writing and deletes this program's journal.
    void finish();

    QString journalFile() const { return folder_.journalFile(); }
    // Journals no running program holds, with rows or unreadable, newest first.
    std::vector<JournalSummary> leftovers() const { return folder_.leftovers(); }
    // Replaces the session's table and counters by a left-over journal's,
    // the last row current. The left-over is deleted once all of it is in
    // this program's journal; one that could not be read whole, or whose
    // rows this program cannot journal now, is kept.
    RestoredJournal restore(const QString& journalFile);
    // Deletes a left-over journal; false when a file could not be removed.
    static bool discard(const QString& journalFile);

    // Blocks until what was recorded so far is on disk; false when the
    // journal cannot be written at present.
    bool waitUntilCommitted(int timeoutMs = 10000);

signals:
    // The recording is no longer protected; said once per failure, in words
    // for the user.
    void trouble(const QString& text);

private:
    bool claim();
    void writerFailed(const QString& reason);
    QString troubleText(const QString& reason) const;

    LoggerSession& session_;
    JournalFolder folder_;
    std::unique_ptr<TableJournal> journal_;
    QTimer claimRetry_;
    bool claimFailed_ = false; // told already, until a claim succeeds
    bool finished_ = false;
};
