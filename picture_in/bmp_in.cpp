// Windows BMP, read here: uncompressed 1, 4, 8, 16, 24 and 32 bits a pixel,
// bit fields included, rows bottom-up or top-down. Run-length compressed
// files are refused with that cause; the alpha of 32-bit files is ignored,
// as most writers leave it unset.
#include <bit>

#include "picture_in/decode.h"

namespace picture_in {
namespace {

struct Reader {
    std::span<const std::uint8_t> bytes;
    bool has(std::size_t at, std::size_t count) const { return at <= bytes.size() && count <= bytes.size() - at; }
    std::uint32_t u16(std::size_t at) const { return bytes[at] | bytes[at + 1] << 8; }
    std::uint32_t u32(std::size_t at) const { return u16(at) | u16(at + 2) << 16; }
};

// A channel under a bit mask, widened to eight bits.
std::uint8_t Channel(std::uint32_t value, std::uint32_t mask) {
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask >> shift);
    const std::uint32_t raw = (value & mask) >> shift;
    const std::uint32_t top = (1u << std::min(bits, 31)) - 1;
    return static_cast<std::uint8_t>((raw * 255 + top / 2) / top);
}

}  // namespace

Decoded DecodeBmp(std::span<const std::uint8_t> bytes, const DecodeOptions&) {
    const Reader in{bytes};
    if (!in.has(0, 18))
        return Refused("truncated BMP header");
    const std::uint32_t pixelStart = in.u32(10);
    const std::uint32_t headerSize = in.u32(14);
    if (headerSize != 12 && headerSize < 40)
        return Refused("bad BMP: unknown header size " + std::to_string(headerSize));
    if (!in.has(14, headerSize == 12 ? 12 : 40))
        return Refused("truncated BMP header");
    const bool core = headerSize == 12;
    const std::int64_t width = core ? std::int64_t{in.u16(18)} : std::int64_t{static_cast<std::int32_t>(in.u32(18))};
    const std::int64_t signedHeight =
        core ? std::int64_t{in.u16(20)} : std::int64_t{static_cast<std::int32_t>(in.u32(22))};
    const bool topDown = signedHeight < 0;
    const std::int64_t height = topDown ? -signedHeight : signedHeight;
    const std::uint32_t depth = in.u16(core ? 24 : 28);
    const std::uint32_t compression = core ? 0 : in.u32(30);
    if (std::string refusal = SizeRefusal(width, height); !refusal.empty())
        return Refused(refusal);
    if (compression != 0 && compression != 3)
        return Refused("compressed BMP (method " + std::to_string(compression) + ") is not supported");
    if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32)
        return Refused("bad BMP: " + std::to_string(depth) + " bits a pixel");
    if (compression == 3 && depth != 16 && depth != 32)
        return Refused("bad BMP: bit fields at " + std::to_string(depth) + " bits a pixel");

    std::uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};  // 16-bit default: 5-5-5
    if (depth == 32)
        masks[0] = 0xFF0000, masks[1] = 0x00FF00, masks[2] = 0x0000FF;
    if (compression == 3) {
        if (!in.has(54, 12))
            return Refused("truncated BMP header");
        for (int c = 0; c < 3; ++c)
            masks[c] = in.u32(54 + 4 * c);
    }
    std::vector<Rgb> colours;
    if (depth <= 8) {
        const std::size_t entry = core ? 3 : 4;
        std::size_t count = core ? 0 : in.u32(46);
        if (count == 0 || count > (1u << depth))
            count = 1u << depth;
        const std::size_t start = 14 + std::size_t{headerSize};
        for (std::size_t i = 0; i < count && in.has(start + i * entry, 3); ++i) {
            const std::size_t at = start + i * entry;
            colours.push_back(Rgb{bytes[at + 2], bytes[at + 1], bytes[at]});
        }
        if (colours.empty())
            return Refused("bad BMP: no colour table");
    }
    const std::size_t stride = static_cast<std::size_t>((width * depth + 31) / 32 * 4);
    if (!in.has(pixelStart, stride * static_cast<std::size_t>(height)))
        return Refused("truncated BMP pixel data");

    Picture picture;
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    picture.pixels.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < picture.height; ++y) {
        const std::uint8_t* row = bytes.data() + pixelStart + stride * (topDown ? y : picture.height - 1 - y);
        Rgb* out = picture.pixels.data() + static_cast<std::size_t>(y) * picture.width;
        for (int x = 0; x < picture.width; ++x) {
            if (depth <= 8) {
                const int perByte = 8 / static_cast<int>(depth);
                const int shift = 8 - static_cast<int>(depth) * (x % perByte + 1);
                const std::size_t index = (row[x / perByte] >> shift) & ((1u << depth) - 1);
                out[x] = index < colours.size() ? colours[index] : Rgb{0, 0, 0};
            } else if (depth == 24) {
                out[x] = Rgb{row[3 * x + 2], row[3 * x + 1], row[3 * x]};
            } else {
                const std::uint8_t* p = row + x * (depth / 8);
                const std::uint32_t v =
                    depth == 16 ? (p[0] | p[1] << 8) : (p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t{p[3]} << 24);
                out[x] = Rgb{Channel(v, masks[0]), Channel(v, masks[1]), Channel(v, masks[2])};
            }
        }
    }
    return picture;
}

}  // namespace picture_in
