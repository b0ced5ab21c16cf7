#pragma once
// A ZX0 decoder for the tests, written from the stream format as the
// decompressors read it, not from the compressor: a fault in the compressor
// cannot hide in both.

#include <cstdint>
#include <optional>
#include <vector>

#include "export/zx0.h"

namespace zx0::testing {

// One bit of a stream: the byte (in the stream's own order) and its mask.
struct BitPlace {
    std::size_t byte = 0;
    std::uint8_t mask = 0;
    friend bool operator==(BitPlace, BitPlace) = default;
};

// The decoded bytes, or nothing when the stream is malformed (reads past its
// end, copies from before the start, or has bytes after its end marker).
// `offsetHighBits`, when given, receives the place of every value bit of the
// offsets' high parts (the end marker's too): the bits the current format
// inverts.
std::optional<std::vector<std::uint8_t>> Decode(const std::vector<std::uint8_t>& stream, Format format,
                                                Direction direction, std::vector<BitPlace>* offsetHighBits = nullptr);

}  // namespace zx0::testing
