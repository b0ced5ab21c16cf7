#include "export/zx0.h"

#include <algorithm>

namespace zx0 {
namespace {

// Control bits go MSB first into a byte reserved when the previous one is
// full, so literal bytes and offset bytes sit between them in stream order.
class BitWriter {
public:
    explicit BitWriter(Direction direction) : backwards_(direction == Direction::Backwards) {}

    void Bit(bool value) {
        if (nextBitInLastByte_) {
            // A new offset's low byte keeps its bit 0 for the length code's first bit.
            if (value)
                bytes_.back() |= 1;
            nextBitInLastByte_ = false;
            return;
        }
        if (mask_ == 0) {
            mask_ = 0x80;
            controlByte_ = bytes_.size();
            bytes_.push_back(0);
        }
        if (value)
            bytes_[controlByte_] |= mask_;
        mask_ >>= 1;
    }

    void Byte(std::uint8_t value) { bytes_.push_back(value); }

    // Forwards a 0 flag says "another bit follows" and a 1 ends the code;
    // backwards streams swap the two.
    void Gamma(int value, bool invertData = false) {
        int top = 1;
        while (top * 2 <= value)
            top *= 2;
        for (int bitValue = top >> 1; bitValue > 0; bitValue >>= 1) {
            Bit(backwards_);
            Bit(((value & bitValue) != 0) != invertData);
        }
        Bit(!backwards_);
    }

    void ShareNextBitWithLastByte() { nextBitInLastByte_ = true; }

    std::vector<std::uint8_t> Take() { return std::move(bytes_); }

private:
    bool backwards_;
    std::vector<std::uint8_t> bytes_;
    std::size_t controlByte_ = 0;
    std::uint8_t mask_ = 0;
    bool nextBitInLastByte_ = false;
};

constexpr int OffsetLowValues = 128;
constexpr int EndMarker = 256;

}  // namespace

std::vector<std::uint8_t> Encode(std::span<const std::uint8_t> input, const std::vector<Block>& blocks, Format format,
                                 Direction direction) {
    const bool backwards = direction == Direction::Backwards;
    const bool invertHighPart = format == Format::Current && !backwards;
    BitWriter out(direction);
    std::size_t position = 0;
    int lastOffset = 1;
    bool first = true;
    bool afterLiterals = false;
    for (const Block& block : blocks) {
        if (block.offset == 0) {
            if (!first)
                out.Bit(false);
            out.Gamma(block.length);
            for (int i = 0; i < block.length; ++i)
                out.Byte(input[position + i]);
            afterLiterals = true;
        } else if (afterLiterals && block.offset == lastOffset) {
            out.Bit(false);
            out.Gamma(block.length);
            afterLiterals = false;
        } else {
            out.Bit(true);
            const int low = (block.offset - 1) % OffsetLowValues;
            out.Gamma((block.offset - 1) / OffsetLowValues + 1, invertHighPart);
            out.Byte(static_cast<std::uint8_t>((backwards ? low : OffsetLowValues - 1 - low) << 1));
            out.ShareNextBitWithLastByte();
            out.Gamma(block.length - 1);
            lastOffset = block.offset;
            afterLiterals = false;
        }
        first = false;
        position += static_cast<std::size_t>(block.length);
    }
    out.Bit(true);
    out.Gamma(EndMarker, invertHighPart);
    return out.Take();
}

std::vector<std::uint8_t> Compress(std::span<const std::uint8_t> input, Options options) {
    if (input.empty())
        return {};
    std::vector<std::uint8_t> data(input.begin(), input.end());
    const bool backwards = options.direction == Direction::Backwards;
    if (backwards)
        std::reverse(data.begin(), data.end());
    const auto blocks = options.parse == Parse::Optimal ? OptimalParse(data) : GreedyParse(data);
    auto stream = Encode(data, blocks, options.format, options.direction);
    if (backwards)
        std::reverse(stream.begin(), stream.end());
    return stream;
}

}  // namespace zx0
