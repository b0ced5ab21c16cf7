// png of every picture mode against the classic screen's, in one run: the
// decoding, drawing and encoding of one file of each mode, at png's default
// scale, as a multiple of the classic screen's. The files are real screens'
// bytes one after another, cut to each mode's size and signed where the
// format is: pictures as real as zlib sees them, which random bytes are not.

#include <chrono>
#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

#include "modes/picture_modes.h"
#include "scrtool/picture.h"
#include "testsupport/mode_files.h"

namespace {

// A file of the mode: real screens' bytes, signed where the format is.
std::vector<std::uint8_t> FileOf(const modes::PictureMode& mode) {
    std::vector<std::uint8_t> bytes = testsupport::RealBytesOfSize(mode.sizes.front());
    testsupport::PlantSignature(bytes, mode.name);
    return bytes;
}

double classicSeconds = 0;

// Seconds per picture of the mode, and the picture made, measured over the
// benchmark's iterations.
double PngSeconds(benchmark::State& state, const modes::PictureMode& mode) {
    const std::vector<std::uint8_t> bytes = FileOf(mode);
    const scrtool::PngLook look;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        auto png = scrtool::PngOf(mode, bytes, look);
        if (!png)
            state.SkipWithError("png failed");
        benchmark::DoNotOptimize(png);
    }
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / static_cast<double>(state.iterations());
}

void BM_PngClassic(benchmark::State& state) {
    classicSeconds = PngSeconds(state, modes::ClassicMode());
    state.counters["us/file"] = classicSeconds * 1e6;
}
BENCHMARK(BM_PngClassic)->Unit(benchmark::kMicrosecond);

void BM_PngMode(benchmark::State& state) {
    const modes::PictureMode& mode = modes::PictureModes()[static_cast<std::size_t>(state.range(0))];
    state.SetLabel(std::string(mode.name));
    const double seconds = PngSeconds(state, mode);
    state.counters["us/file"] = seconds * 1e6;
    if (classicSeconds > 0)
        state.counters["x classic"] = seconds / classicSeconds;
}

// Every row of fixed sizes whose file decodes.
void EveryMode(benchmark::internal::Benchmark* bench) {
    const auto rows = modes::PictureModes();
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (!rows[i].sizes.empty() && rows[i].decode(FileOf(rows[i]), screen::FlashPhase::First))
            bench->Arg(static_cast<int>(i));
}
BENCHMARK(BM_PngMode)->Apply(EveryMode)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
