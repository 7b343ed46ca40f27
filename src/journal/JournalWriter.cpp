#include "journal/JournalWriter.h"

#include "journal/JournalConnection.h"

#include <QDir>
#include <QFileInfo>

#include <chrono>

using Clock = std::chrono::steady_clock;

JournalWriter::JournalWriter(const ReadingTable& table, const QString& fileName, QObject* parent)
    : QObject(parent), fileName_(fileName), connection_(std::make_unique<JournalConnection>(table))
{
}

void JournalWriter::start()
{
    if (!thread_.joinable())
        thread_ = std::thread([this] { run(); });
}

JournalWriter::~JournalWriter()
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable())
        thread_.join();
}

void JournalWriter::post(const Command& command)
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(command);
        ++posted_;
    }
    wake_.notify_one();
}

void JournalWriter::rowsAppended(quint64 generation, int rowCount)
{
    post({Command::Rows, generation, rowCount, 0});
}

void JournalWriter::tableReplaced()
{
    post({Command::Replaced, 0, 0, 0});
}

void JournalWriter::setCounters(qint32 nextRecordNo, qint32 recordCount)
{
    post({Command::Counters, 0, nextRecordNo, recordCount});
}

bool JournalWriter::waitUntilCommitted(int timeoutMs)
{
    std::unique_lock<std::mutex> lock(mutex_);
    const quint64 target = posted_;
    flush_ = true;
    wake_.notify_one();
    const bool done = committed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                          [&] { return settled_ >= target; });
    return done && !broken_;
}

void JournalWriter::run()
{
    // Writer thread state. healthy: the file is open and holds the table as
    // far as the commands applied so far.
    bool healthy = false, reported = false;
    qint32 nextRecordNo = 0, recordCount = 0; // the latest, for rewrites
    Clock::time_point began, retryAt = Clock::now();
    std::vector<Command> commands;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        const Clock::time_point deadline = !healthy ? retryAt
                                           : connection_->inTransaction()
                                               ? began + std::chrono::milliseconds(kCommitDelayMs)
                                               : Clock::time_point::max();
        wake_.wait_until(lock, deadline, [&] { return stop_ || flush_ || !queue_.empty(); });
        commands.swap(queue_);
        const quint64 taken = posted_;
        const bool stopping = stop_, flushing = flush_;
        flush_ = false;
        lock.unlock();

        for (const Command& c : commands)
            if (c.kind == Command::Counters) {
                nextRecordNo = static_cast<qint32>(c.a);
                recordCount = static_cast<qint32>(c.b);
            }
        bool ok = true;
        if (!healthy && !stopping && Clock::now() >= retryAt) {
            // The commands meanwhile are not replayed: the rewrite holds
            // everything they would have written.
            ok = reopen() && connection_->begin() && connection_->rewrite() &&
                 connection_->writeCounters(nextRecordNo, recordCount) && connection_->commit();
            healthy = ok;
            if (ok && reported) {
                reported = false;
                emit resumed();
            }
        } else if (healthy && (!commands.empty() || connection_->inTransaction())) {
            if (!connection_->inTransaction()) {
                ok = connection_->begin();
                began = Clock::now();
            }
            ok = ok && apply(commands);
            const bool due = Clock::now() >= began + std::chrono::milliseconds(kCommitDelayMs);
            if (ok && (due || flushing || stopping))
                ok = connection_->commit();
            healthy = ok;
        }
        commands.clear();
        if (!ok) {
            const QString reason = connection_->error();
            connection_->rollback();
            connection_->close();
            retryAt = Clock::now() + std::chrono::milliseconds(kRetryDelayMs);
            if (!reported) {
                reported = true;
                emit failed(tr("The journal %1 cannot be written: %2. Recording goes on in "
                               "memory.")
                                .arg(QDir::toNativeSeparators(fileName_), reason));
            }
        }

        lock.lock();
        broken_ = !healthy;
        if (!healthy)
            settled_ = posted_; // dropped; the next rewrite covers them
        else if (!connection_->inTransaction())
            settled_ = taken;
        committed_.notify_all();
        if (stopping && queue_.empty())
            break;
    }
    lock.unlock();
    connection_->close();
}

bool JournalWriter::apply(const std::vector<Command>& commands)
{
    for (const Command& c : commands) {
        bool ok = true;
        switch (c.kind) {
        case Command::Rows:
            ok = connection_->appendUpTo(c.generation, static_cast<int>(c.a));
            break;
        case Command::Replaced: ok = connection_->rewrite(); break;
        case Command::Counters:
            ok = connection_->writeCounters(static_cast<qint32>(c.a), static_cast<qint32>(c.b));
            break;
        }
        if (!ok)
            return false;
    }
    return true;
}

bool JournalWriter::reopen()
{
    if (!QDir().mkpath(QFileInfo(fileName_).absolutePath())) {
        connection_->close();
        connection_->setError(tr("cannot create the folder"));
        return false;
    }
    return connection_->open(fileName_);
}
