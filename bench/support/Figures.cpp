#include "Figures.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace figures {
namespace {

// Keeps the per-iteration real time of the runs it is shown; prints nothing.
class CaptureReporter : public benchmark::BenchmarkReporter {
public:
    bool ReportContext(const Context&) override { return true; }
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.iterations > 0)
                nanos = run.GetAdjustedRealTime();
    }
    double nanos = 0;
};

} // namespace

void print(const std::string& name, double value, const std::string& unit)
{
    std::printf("%s %.6g %s\n", name.c_str(), value, unit.c_str());
    std::fflush(stdout);
}

double nanosPerIteration(const std::string& benchmarkName)
{
    CaptureReporter reporter;
    // Google Benchmark selects cases by a regular expression of their names.
    benchmark::RunSpecifiedBenchmarks(&reporter, "^" + benchmarkName + "$");
    return reporter.nanos;
}

long long residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    long long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * static_cast<long long>(sysconf(_SC_PAGESIZE));
}

} // namespace figures
