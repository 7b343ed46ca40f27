// Decoding one live meter frame into a reading, without painting it.
#include "Figures.h"
#include "protocol/ReadingDecoder.h"

#include <benchmark/benchmark.h>

namespace {

void DecodeLiveFrame(benchmark::State& state)
{
    // Live T1 reading of 23.5 degrees Celsius, type K, clock 12:34.
    const QString frame = QStringLiteral("20235100012340001DA");
    const QString separator = QStringLiteral(".");
    for (auto _ : state) {
        std::optional<DecodedReading> reading = ReadingDecoder::decode(frame, separator);
        benchmark::DoNotOptimize(reading);
    }
}
BENCHMARK(DecodeLiveFrame);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    figures::print("decode_ns_per_frame", figures::nanosPerIteration("DecodeLiveFrame"), "ns");
    return 0;
}
