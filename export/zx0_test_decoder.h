#pragma once
// A ZX0 decoder for the tests, written from the stream format as the
// decompressors read it, not from the compressor: a fault in the compressor
// cannot hide in both.

#include <cstdint>
#include <optional>
#include <vector>

#include "export/zx0.h"

namespace zx0::testing {

// The decoded bytes, or nothing when the stream is malformed (reads past its
// end, copies from before the start, or has bytes after its end marker).
std::optional<std::vector<std::uint8_t>> Decode(const std::vector<std::uint8_t>& stream, Format format,
                                                Direction direction);

}  // namespace zx0::testing
