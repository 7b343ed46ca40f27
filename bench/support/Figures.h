#pragma once

#include <string>

// Figures printed by the benchmark executables, one per line as
// "name value unit", which is what bench/run collects.
namespace figures {

void print(const std::string& name, double value, const std::string& unit);

// Runs the Google Benchmark cases registered under this exact name and
// returns the real time of one iteration in nanoseconds.
double nanosPerIteration(const std::string& benchmarkName);

// Resident set size of this process in bytes (from /proc/self/statm).
long long residentBytes();

} // namespace figures
