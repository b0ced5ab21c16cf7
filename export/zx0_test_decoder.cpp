#include "export/zx0_test_decoder.h"

#include <algorithm>
#include <stdexcept>

namespace zx0::testing {
namespace {

struct Malformed : std::runtime_error {
    Malformed() : std::runtime_error("malformed") {}
};

// The stream as the decompressor meets it: control bits are taken from the
// top of a byte fetched when the last one is used up; other bytes are fetched
// as they come.
class Reader {
public:
    Reader(const std::vector<std::uint8_t>& stream, bool backwards) : stream_(stream), backwards_(backwards) {}

    std::uint8_t Byte() {
        if (next_ >= stream_.size())
            throw Malformed();
        return stream_[next_++];
    }

    bool Bit() {
        if (pending_) {
            pending_ = false;
            return pendingBit_;
        }
        if (bitsLeft_ == 0) {
            bitsAt_ = next_;
            bits_ = Byte();
            bitsLeft_ = 8;
        }
        --bitsLeft_;
        return (bits_ >> bitsLeft_) & 1;
    }

    bool AllRead() const { return next_ == stream_.size(); }

    // The next Bit() answers this one (an offset byte's bit 0).
    void PushBit(bool value) {
        pending_ = true;
        pendingBit_ = value;
    }

    // A value starts at 1; a flag saying "more" is followed by the next bit
    // of the value, the other flag ends it. Forwards "more" is 0. The places
    // of the value's bits go to `places` when given.
    int Gamma(bool invertData = false, std::vector<BitPlace>* places = nullptr) {
        int value = 1;
        while (Bit() == backwards_) {
            const bool bit = Bit();
            if (places)
                places->push_back(BitPlace{bitsAt_, static_cast<std::uint8_t>(1u << bitsLeft_)});
            value = value * 2 + (bit != invertData ? 1 : 0);
            if (value > 0x10000)
                throw Malformed();
        }
        return value;
    }

private:
    const std::vector<std::uint8_t>& stream_;
    bool backwards_;
    std::size_t next_ = 0;
    std::size_t bitsAt_ = 0;
    std::uint8_t bits_ = 0;
    int bitsLeft_ = 0;
    bool pending_ = false;
    bool pendingBit_ = false;
};

void CopyBack(std::vector<std::uint8_t>& out, int offset, int length) {
    if (offset < 1 || offset > static_cast<int>(out.size()))
        throw Malformed();
    for (int i = 0; i < length; ++i)
        out.push_back(out[out.size() - offset]);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> Decode(const std::vector<std::uint8_t>& stream, Format format,
                                                Direction direction, std::vector<BitPlace>* offsetHighBits) {
    const bool backwards = direction == Direction::Backwards;
    std::vector<std::uint8_t> in(stream);
    if (backwards)
        std::reverse(in.begin(), in.end());
    // Only the current format's forwards streams store the offset's high part inverted.
    const bool invertHigh = format == Format::Current && !backwards;
    Reader reader(in, backwards);
    std::vector<std::uint8_t> out;
    int lastOffset = 1;
    enum { Literals, LastOffset, NewOffset } next = Literals;
    try {
        for (;;) {
            if (next == Literals) {
                const int length = reader.Gamma();
                for (int i = 0; i < length; ++i)
                    out.push_back(reader.Byte());
                next = reader.Bit() ? NewOffset : LastOffset;
            } else if (next == LastOffset) {
                CopyBack(out, lastOffset, reader.Gamma());
                next = reader.Bit() ? NewOffset : Literals;
            } else {
                const int high = reader.Gamma(invertHigh, offsetHighBits);
                if (high == 256)
                    break;
                if (high > 256)
                    throw Malformed();
                const std::uint8_t lowByte = reader.Byte();
                const int low = backwards ? lowByte >> 1 : 127 - (lowByte >> 1);
                lastOffset = (high - 1) * 128 + low + 1;
                reader.PushBit(lowByte & 1);
                CopyBack(out, lastOffset, reader.Gamma() + 1);
                next = reader.Bit() ? NewOffset : Literals;
            }
        }
    } catch (const Malformed&) {
        return std::nullopt;
    }
    if (!reader.AllRead())
        return std::nullopt;  // bytes after the end marker
    if (backwards) {
        std::reverse(out.begin(), out.end());
        if (offsetHighBits)
            for (BitPlace& place : *offsetHighBits)
                place.byte = stream.size() - 1 - place.byte;
    }
    return out;
}

}  // namespace zx0::testing
