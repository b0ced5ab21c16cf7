// Decoding a file of every fixed-size row, beside the classic screen's row:
// the picture-drawing commands spend this once per file.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "modes/picture_modes.h"

namespace {

std::vector<std::uint8_t> FileOf(const modes::PictureMode& mode) {
    std::vector<std::uint8_t> bytes(mode.sizes[0]);
    std::uint32_t state = 99;
    for (auto& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(state >> 16);
    }
    // The signatures of the formats that have one.
    const std::string name(mode.name);
    if (name.starts_with("mg")) {
        const std::uint8_t head[] = {'M', 'G', 'H', 1, static_cast<std::uint8_t>(name[2] - '0')};
        std::copy(std::begin(head), std::end(head), bytes.begin());
    } else if (name == "hlr") {
        const std::uint8_t head[] = {0x76, 0xAF, 0xD3, 0xFE, 0x21, 0x00, 0x58};
        std::copy(std::begin(head), std::end(head), bytes.begin());
    } else if (name == "zxs") {
        const std::string head = "ZX_SSCII";
        std::copy(head.begin(), head.end(), bytes.begin());
        for (int i = 0; i < 768; ++i)
            bytes[908 + i] %= 112;
    }
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
