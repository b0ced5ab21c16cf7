#pragma once
// The RCS order undone with arithmetic of its own, for the tests: byte k of
// a third comes from column k / 64, cell row (k / 8) % 8 and pixel line k % 8.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace exporter::testing {

// `bytes` with the 6144-byte plane at `at` put back in screen order.
inline std::vector<std::uint8_t> FromRcs(const std::vector<std::uint8_t>& bytes, std::size_t at = 0) {
    std::vector<std::uint8_t> screen(bytes);
    for (std::size_t k = 0; k < 6144; ++k) {
        const std::size_t third = k / 2048, inThird = k % 2048;
        const std::size_t column = inThird / 64, row = (inThird / 8) % 8, line = inThird % 8;
        screen[at + third * 2048 + line * 256 + row * 32 + column] = bytes[at + k];
    }
    return screen;
}

}  // namespace exporter::testing
