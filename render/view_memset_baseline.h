#pragma once
// The benchmarks' yardstick: writing both views' back buffers once, which is
// the least any full redraw must cost. Figures are reported as multiples of it.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include <benchmark/benchmark.h>

#include "render/views.h"
#include "toolkit/canvas/back_buffer.h"

namespace render::bench {

inline constexpr std::size_t ViewBytes = std::size_t{toolkit::RowLength(ViewWidth)} * ViewHeight;

// Both buffers' bytes written once, a different value each time.
inline void MemsetViews(std::vector<std::uint8_t>& mono, std::vector<std::uint8_t>& colour, int& value) {
    std::memset(mono.data(), value, ViewBytes);
    std::memset(colour.data(), value, ViewBytes);
    benchmark::DoNotOptimize(mono.data());
    benchmark::DoNotOptimize(colour.data());
    benchmark::ClobberMemory();
    value ^= 0x55;
}

inline void BM_MemsetBothViews(benchmark::State& state) {
    std::vector<std::uint8_t> mono(ViewBytes), colour(ViewBytes);
    int value = 0;
    for (auto _ : state)
        MemsetViews(mono, colour, value);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * 2 * ViewBytes));
}

}  // namespace render::bench
