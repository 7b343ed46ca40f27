#include "journal/JournalFolder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

QString lockFileOf(const QString& journal)
{
    return journal + QStringLiteral(".lock");
}

// True when a running program holds the journal's lock. A journal without
// a lock file is held by nobody: claim() creates the lock before the journal.
bool isHeld(const QString& journal)
{
    const int fd = ::open(QFile::encodeName(lockFileOf(journal)).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd); // drops a lock taken just now
    return held;
}

} // namespace

QString JournalFolder::defaultPath()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/thermologger");
}

JournalFolder::JournalFolder(const QString& path) : path_(path) {}

JournalFolder::~JournalFolder()
{
    if (lockFd_ >= 0)
        ::close(lockFd_);
}

bool JournalFolder::claim()
{
    if (!QDir().mkpath(path_)) {
        error_ = QCoreApplication::translate("JournalFolder", "Cannot create the folder %1.")
                     .arg(QDir::toNativeSeparators(path_));
        return false;
    }
    const QString base = QStringLiteral("%1/journal-%2-%3")
                             .arg(path_)
                             .arg(QDateTime::currentDateTimeUtc().toString("yyyyMMdd'T'HHmmss"))
                             .arg(QCoreApplication::applicationPid());
    // The lock file is made with O_EXCL: a name is ours only if we made it,
    // also against a second user of the folder in this same process.
    for (int n = 0; n < 100; ++n) {
        const QString journal = (n == 0 ? base : base + '-' + QString::number(n)) + ".sqlite";
        const QByteArray lock = QFile::encodeName(lockFileOf(journal));
        const int fd = ::open(lock.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            error_ =
                QCoreApplication::translate("JournalFolder", "Cannot lock a journal in %1: %2.")
                    .arg(QDir::toNativeSeparators(path_),
                         QString::fromLocal8Bit(std::strerror(errno)));
            if (fd >= 0)
                ::close(fd);
            return false;
        }
        lockFd_ = fd;
        journal_ = journal;
        return true;
    }
    error_ = QCoreApplication::translate("JournalFolder", "No free journal name in %1.")
                 .arg(QDir::toNativeSeparators(path_));
    return false;
}

void JournalFolder::removeJournal()
{
    if (journal_.isEmpty())
        return;
    // Files first, lock last: nobody may take the name for a left-over.
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(journal_ + QLatin1String(suffix));
    QFile::remove(lockFileOf(journal_));
    ::close(lockFd_);
    lockFd_ = -1;
    journal_.clear();
}

bool JournalFolder::removeFiles(const QString& journalFile)
{
    bool ok = QFile::remove(journalFile);
    for (const char* suffix : {"-wal", "-shm", ".lock"}) {
        const QString file = journalFile + QLatin1String(suffix);
        if (QFile::exists(file))
            ok = QFile::remove(file) && ok;
    }
    return ok;
}

std::vector<JournalSummary> JournalFolder::leftovers() const
{
    std::vector<std::pair<QDateTime, JournalSummary>> found;
    const QFileInfoList files =
        QDir(path_).entryInfoList({QStringLiteral("journal-*.sqlite")}, QDir::Files);
    for (const QFileInfo& file : files) {
        const QString name = file.absoluteFilePath();
        if (name == journal_ || isHeld(name))
            continue;
        JournalSummary summary = readJournalSummary(name);
        if (summary.error.isEmpty() && summary.rowCount == 0)
            continue;
        const QDateTime when = summary.ended.isValid() ? summary.ended : file.lastModified();
        found.emplace_back(when, std::move(summary));
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<JournalSummary> out;
    for (auto& entry : found)
        out.push_back(std::move(entry.second));
    return out;
}
