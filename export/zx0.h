#pragma once
// ZX0 compression: an LZ77 stream of literal runs, copies from the last
// offset and copies from a new offset, with interlaced Elias gamma lengths.
// Streams decode with the usual Z80 decompressors for the chosen format.

#include <cstdint>
#include <span>
#include <vector>

namespace zx0 {

// Current is the format of today's decompressors; Classic the older one, whose
// offset high bits are stored as they are rather than inverted.
enum class Format { Current, Classic };
// Backwards streams are read from their last byte to their first and fill the
// target from its end down, for decompressing in place into the top of memory.
// Both formats write the same backwards stream.
enum class Direction { Forwards, Backwards };
enum class Parse { Optimal, Greedy };

struct Options {
    Format format = Format::Current;
    Direction direction = Direction::Forwards;
    Parse parse = Parse::Optimal;
};

// The farthest back a copy may reach: the offset's high part is a gamma code
// of at most 255 (256 marks the end) times 128 low values.
constexpr int MaxOffset = 255 * 128;

// One block of the parse: a literal run (offset 0) or a copy of `length` bytes
// from `offset` bytes back.
struct Block {
    int length = 0;
    int offset = 0;
};

// The whole input as blocks; empty input gives no blocks.
std::vector<Block> OptimalParse(std::span<const std::uint8_t> input);
std::vector<Block> GreedyParse(std::span<const std::uint8_t> input);

// The stream for input cut into blocks (in the input's own order: a backwards
// stream is made from the reversed input and its blocks).
std::vector<std::uint8_t> Encode(std::span<const std::uint8_t> input, const std::vector<Block>& blocks, Format format,
                                 Direction direction);

// Empty input gives an empty result: the format has no stream for it.
std::vector<std::uint8_t> Compress(std::span<const std::uint8_t> input, Options options = {});

// Bits an interlaced Elias gamma code of value (>= 1) takes.
constexpr int GammaBits(int value) {
    int bits = 1;
    for (; value > 1; value >>= 1)
        bits += 2;
    return bits;
}

}  // namespace zx0
