#pragma once

#include "journal/JournalRestore.h"

#include <QString>

#include <vector>

// The folder of journals: one journal per running program, named
// journal-<start time>-<process id>.sqlite, held with an exclusive flock on
// a lock file beside it (<name>.lock). The kernel drops the lock when the
// program ends however it ends, so a journal whose lock nobody holds is a
// left-over of a program that is gone.
class JournalFolder {
public:
    // $XDG_STATE_HOME/thermologger, or ~/.local/state/thermologger.
    static QString defaultPath();

    explicit JournalFolder(const QString& path = defaultPath());
    ~JournalFolder(); // releases the lock; the journal stays
    JournalFolder(const JournalFolder&) = delete;
    JournalFolder& operator=(const JournalFolder&) = delete;

    const QString& path() const { return path_; }

    // Creates the folder and takes a journal name of this program's own,
    // locked; false with error() when the folder cannot be written.
    bool claim();
    QString journalFile() const { return journal_; } // empty until claimed
    QString error() const { return error_; }
    // Deletes this program's journal with its lock (its writer must be gone).
    void removeJournal();

    // Journals no running program holds, with rows or unreadable, newest
    // first (by their end time, else the file's time).
    std::vector<JournalSummary> leftovers() const;
    // Deletes a journal with its WAL, shared-memory and lock files.
    static bool removeFiles(const QString& journalFile);

private:
    QString path_;
    QString journal_;
    QString error_;
    int lockFd_ = -1;
};
