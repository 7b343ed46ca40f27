// Figures of the table files. Each ratio compares, side by side in one run,
// a save or open with plain buffered I/O of the same bytes: 64 KB chunks,
// written through the same temporary-file commit, or read from the page
// cache. Memory and stalls are taken at ten million rows, with the file
// work on a worker thread while the event loop runs a 1 ms timer, as the
// window does it.
#include "Figures.h"
#include "ReadingValues.h"

#include "files/FileProgress.h"
#include "files/RowSource.h"
#include "files/TableFile.h"
#include "recording/ReadingTable.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSaveFile>
#include <QThread>
#include <QTimer>

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

constexpr int kMillion = 1'000'000;

// Recorded rows as a steady process gives them: values drift with jitter,
// the channel changes every hundred rows, the judgement every twenty.
std::unique_ptr<ReadingTable> recordedTable(int rows)
{
    auto table = std::make_unique<ReadingTable>();
    const std::vector<QString> values = readoutValueTexts();
    const QString channels[3] = {"T1", "T2", "T1-T2"};
    const QString judges[2] = {"Pass", "Fail"};
    // Wall-clock stamps without a zone: stepping them costs no time-zone look-up.
    const QDateTime start(QDate(2024, 5, 6), QTime(9, 3, 7), Qt::UTC);
    for (int n = 0; n < rows; ++n) {
        table->appendRecorded(n + 1, start.addSecs(n), channels[(n / 100) % 3],
                              driftingValue(values, n), "#-K", judges[(n / 20) % 2]);
    }
    return table;
}

double seconds(const std::function<void()>& f)
{
    QElapsedTimer timer;
    timer.start();
    f();
    return timer.nsecsElapsed() / 1e9;
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

double rawWrite(const QString& path, const QByteArray& bytes)
{
    return seconds([&] {
        QSaveFile f(path);
        f.open(QIODevice::WriteOnly);
        for (qsizetype at = 0; at < bytes.size(); at += 65536)
            f.write(bytes.constData() + at, std::min<qsizetype>(65536, bytes.size() - at));
        f.commit();
    });
}

double rawRead(const QString& path)
{
    return seconds([&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        std::vector<char> chunk(65536);
        qint64 sum = 0;
        while (const qint64 n = f.read(chunk.data(), 65536))
            sum += n > 0 ? chunk[0] : 0;
        if (sum == 42)
            std::puts("");
    });
}

// The best of three runs, so that one disturbed run does not decide.
double best(const std::function<double()>& run)
{
    double b = run();
    for (int i = 0; i < 2; ++i)
        b = std::min(b, run());
    return b;
}

// Runs the work on a worker thread while the event loop runs a 1 ms timer;
// gives the longest gap between two timer ticks in milliseconds and the
// peak resident size seen meanwhile.
struct WorkerRun {
    double stallMs = 0;
    long long peakBytes = 0;
};

WorkerRun onWorker(const std::function<void()>& work, const std::function<void()>& thenOnGui)
{
    WorkerRun out;
    std::atomic<bool> done{false};
    std::atomic<long long> peak{figures::residentBytes()};
    std::thread sampler([&] {
        while (!done) {
            peak = std::max(peak.load(), figures::residentBytes());
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    QEventLoop loop;
    std::unique_ptr<QThread> thread(QThread::create(work));
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    qint64 last = 0;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        out.stallMs = std::max(out.stallMs, (now - last) / 1e6);
        last = now;
    });
    clock.start();
    tick.start();
    thread->start();
    loop.exec();
    thread->wait();
    // The result reaches the table on the event loop's thread.
    const qint64 before = clock.nsecsElapsed();
    thenOnGui();
    out.stallMs = std::max(out.stallMs, (clock.nsecsElapsed() - before) / 1e6);
    tick.stop();
    done = true;
    sampler.join();
    out.peakBytes = std::max(peak.load(), figures::residentBytes());
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString dir = QDir::tempPath() + "/thermo-files-bench";
    QDir().mkpath(dir);
    const QString tsv = dir + "/t.txt", xml = dir + "/t.xml";

    // One million rows: ratios to raw I/O, and the round trip.
    {
        auto table = recordedTable(kMillion);
        const RowSource rows(*table);
        bool identical = true;
        for (const QString& path : {tsv, xml}) {
            const bool isXml = path == xml;
            const double save = best([&] { return seconds([&] { saveTableFile(path, rows); }); });
            const QByteArray bytes = fileBytes(path);
            const double write = best([&] { return rawWrite(dir + "/raw", bytes); });
            const double read = best([&] { return rawRead(path); });
            const double open = best([&] {
                return seconds([&] {
                    ReadingTable loaded;
                    LoadOutcome out = loadTableFile(path);
                    applyStaged(loaded, std::move(out.staged));
                });
            });
            if (std::getenv("THERMO_BENCH_VERBOSE"))
                std::fprintf(
                    stderr,
                    "%s: save %.3f s, raw write %.3f s, open %.3f s, raw read %.3f s, %lld bytes\n",
                    isXml ? "xml" : "tsv", save, write, open, read,
                    static_cast<long long>(bytes.size()));
            figures::print(isXml ? "xml_save_ratio_to_raw_1m" : "tsv_save_ratio_to_raw_1m",
                           save / write, "ratio");
            figures::print(isXml ? "xml_open_ratio_to_raw_1m" : "tsv_open_ratio_to_raw_1m",
                           open / read, "ratio");

            ReadingTable reopened;
            LoadOutcome out = loadTableFile(path);
            applyStaged(reopened, std::move(out.staged));
            const QString again = dir + (isXml ? "/again.xml" : "/again.txt");
            saveTableFile(again, RowSource(reopened));
            identical = identical && out.ok && fileBytes(again) == bytes;
        }
        figures::print("files_roundtrip_1m_identical", identical ? 1 : 0, "bool");
    }
    malloc_trim(0);
    if (argc > 1 && QByteArrayView(argv[1]) == "--no-10m")
        return 0;

    // The stall of an idle worker: what the machine's load alone gives.
    if (std::getenv("THERMO_BENCH_VERBOSE")) {
        const WorkerRun idle =
            onWorker([] { std::this_thread::sleep_for(std::chrono::seconds(3)); }, [] {});
        std::fprintf(stderr, "idle worker: longest stall %.1f ms\n", idle.stallMs);
    }

    // Ten million rows: memory above the table and event-loop stalls.
    double stall = 0;
    long long extra = 0;
    {
        auto table = recordedTable(10 * kMillion);
        for (const QString& path : {tsv, xml}) {
            const long long before = figures::residentBytes();
            const RowSource rows(*table);
            FileProgress progress;
            const WorkerRun run = onWorker([&] { saveTableFile(path, rows, &progress); }, [] {});
            if (std::getenv("THERMO_BENCH_VERBOSE"))
                std::fprintf(stderr, "save %s: stall %.1f ms, extra %.1f MB\n", qPrintable(path),
                             run.stallMs, (run.peakBytes - before) / 1048576.0);
            stall = std::max(stall, run.stallMs);
            extra = std::max(extra, run.peakBytes - before);
        }
    }
    malloc_trim(0);
    for (const QString& path : {tsv, xml}) {
        ReadingTable table;
        LoadOutcome out;
        const WorkerRun run = onWorker([&] { out = loadTableFile(path); },
                                       [&] { applyStaged(table, std::move(out.staged)); });
        const long long withTable = figures::residentBytes();
        if (std::getenv("THERMO_BENCH_VERBOSE"))
            std::fprintf(stderr, "open %s: stall %.1f ms, extra %.1f MB\n", qPrintable(path),
                         run.stallMs, (run.peakBytes - withTable) / 1048576.0);
        stall = std::max(stall, run.stallMs);
        extra = std::max(extra, run.peakBytes - withTable);
        if (table.rowCount() != 10 * kMillion)
            std::fprintf(stderr, "%s: %d rows\n", qPrintable(path), table.rowCount());
        malloc_trim(0);
    }
    figures::print("file_peak_extra_mb_10m", extra / 1048576.0, "MB");
    figures::print("file_gui_stall_ms_10m", stall, "ms");
    QDir(dir).removeRecursively();
    return 0;
}
