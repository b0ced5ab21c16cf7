// How long one screen takes to compress optimally, next to a memcpy of the
// same bytes measured in the same run; and the sizes of each parse.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "export/screen_bytes.h"
#include "export/zx0.h"
#include "testsupport/real_screens.h"

namespace {

std::vector<std::vector<std::uint8_t>> RealScreenBytes() {
    std::vector<std::vector<std::uint8_t>> screens;
    for (const auto& real : testsupport::RealScreens())
        screens.emplace_back(real.bytes.begin(), real.bytes.end());
    return screens;
}

const std::vector<std::vector<std::uint8_t>>& Screens() {
    static const auto all = RealScreenBytes();
    return all;
}

void BM_MemcpyScreen(benchmark::State& state) {
    std::vector<std::uint8_t> copy(6912);
    for (auto _ : state) {
        std::memcpy(copy.data(), Screens()[state.range(0)].data(), copy.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
}

void BM_CompressScreenOptimal(benchmark::State& state) {
    const auto& in = Screens()[state.range(0)];
    std::size_t size = 0;
    for (auto _ : state)
        size = zx0::Compress(in).size();
    state.counters["bytes"] = static_cast<double>(size);
}

void BM_CompressScreenGreedy(benchmark::State& state) {
    const auto& in = Screens()[state.range(0)];
    std::size_t size = 0;
    for (auto _ : state)
        size = zx0::Compress(in, {zx0::Format::Current, zx0::Direction::Forwards, zx0::Parse::Greedy}).size();
    state.counters["bytes"] = static_cast<double>(size);
}

void BM_CompressScreenRcsOptimal(benchmark::State& state) {
    const auto in = exporter::RcsOrder(Screens()[state.range(0)]);
    std::size_t size = 0;
    for (auto _ : state)
        size = zx0::Compress(in).size();
    state.counters["bytes"] = static_cast<double>(size);
}

void EveryScreen(benchmark::internal::Benchmark* b) {
    for (int i = 0; i < static_cast<int>(Screens().size()); ++i)
        b->Arg(i);
}

BENCHMARK(BM_MemcpyScreen)->Arg(0);
BENCHMARK(BM_CompressScreenOptimal)->Apply(EveryScreen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompressScreenGreedy)->Apply(EveryScreen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompressScreenRcsOptimal)->Apply(EveryScreen)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
