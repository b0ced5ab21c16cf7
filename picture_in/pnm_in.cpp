// Netpbm pictures, read here: PPM and PGM, binary (P6, P5) and plain text
// (P3, P2), up to 16 bits a sample.
#include <cctype>

#include "picture_in/decode.h"

namespace picture_in {
namespace {

struct Scanner {
    std::span<const std::uint8_t> bytes;
    std::size_t at = 2;

    // The next decimal number, skipping white space and # comments; -1 when
    // there is none.
    std::int64_t number() {
        while (at < bytes.size()) {
            if (bytes[at] == '#')
                while (at < bytes.size() && bytes[at] != '\n')
                    ++at;
            else if (std::isspace(bytes[at]))
                ++at;
            else
                break;
        }
        if (at >= bytes.size() || !std::isdigit(bytes[at]))
            return -1;
        std::int64_t value = 0;
        while (at < bytes.size() && std::isdigit(bytes[at]) && value < (1LL << 40))
            value = value * 10 + (bytes[at++] - '0');
        return value;
    }
};

}  // namespace

Decoded DecodePnm(std::span<const std::uint8_t> bytes, const DecodeOptions&) {
    if (bytes.size() < 2 || bytes[0] != 'P' ||
        (bytes[1] != '2' && bytes[1] != '3' && bytes[1] != '5' && bytes[1] != '6'))
        return Refused("not a PPM or PGM picture");
    Scanner in{bytes};
    const char kind = static_cast<char>(bytes[1]);
    const bool colour = kind == '3' || kind == '6';
    const bool text = kind == '2' || kind == '3';
    const std::int64_t width = in.number();
    const std::int64_t height = in.number();
    const std::int64_t top = in.number();
    if (width < 0 || height < 0 || top < 0)
        return Refused("bad PPM/PGM header");
    if (std::string refusal = SizeRefusal(width, height); !refusal.empty())
        return Refused(refusal);
    if (top < 1 || top > 65535)
        return Refused("bad PPM/PGM: maximum sample " + std::to_string(top));
    const int channels = colour ? 3 : 1;
    const int sampleBytes = top > 255 ? 2 : 1;
    const std::size_t count = static_cast<std::size_t>(width * height * channels);
    // Each plain sample takes at least a digit and a space, each binary one
    // its bytes: a file too short for its header's size is refused before
    // the samples are allocated.
    const std::size_t start = in.at + 1;  // one white-space byte ends a binary header
    if (text ? count > bytes.size() / 2 + 1 : start > bytes.size() || (bytes.size() - start) / sampleBytes < count)
        return Refused("truncated PPM/PGM data");
    std::vector<std::uint8_t> samples(count);
    auto scaled = [&](std::int64_t v) { return static_cast<std::uint8_t>((std::min(v, top) * 255 + top / 2) / top); };
    if (text) {
        for (std::size_t i = 0; i < count; ++i) {
            const std::int64_t v = in.number();
            if (v < 0)
                return Refused("truncated PPM/PGM data");
            samples[i] = scaled(v);
        }
    } else {
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t* p = bytes.data() + start + i * sampleBytes;
            samples[i] = scaled(sampleBytes == 2 ? (p[0] << 8 | p[1]) : p[0]);
        }
    }
    Picture picture;
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    picture.pixels.resize(static_cast<std::size_t>(width) * height);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = colour ? Rgb{samples[3 * i], samples[3 * i + 1], samples[3 * i + 2]}
                                   : Rgb{samples[i], samples[i], samples[i]};
    return picture;
}

}  // namespace picture_in
