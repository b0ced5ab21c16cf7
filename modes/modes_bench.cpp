// Decoding a file of every fixed-size row, beside the classic screen's row:
// the picture-drawing commands spend this once per file.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "modes/picture_modes.h"
#include "testsupport/mode_files.h"

namespace {

std::vector<std::uint8_t> FileOf(const modes::PictureMode& mode) {
    std::vector<std::uint8_t> bytes(mode.sizes[0]);
    std::uint32_t state = 99;
    for (auto& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(state >> 16);
    }
    testsupport::PlantSignature(bytes, mode.name);
    return bytes;
}

void Decode(benchmark::State& state, const modes::PictureMode* mode) {
    const std::vector<std::uint8_t> bytes = FileOf(*mode);
    for (auto _ : state) {
        auto picture = mode->decode(bytes, screen::FlashPhase::First);
        if (!picture)
            state.SkipWithError("refused");
        benchmark::DoNotOptimize(picture);
    }
}

const bool registered = [] {
    for (const modes::PictureMode& mode : modes::PictureModes())
        if (!mode.sizes.empty())
            benchmark::RegisterBenchmark(("Decode/" + std::string(mode.name)).c_str(), Decode, &mode);
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
