#include "scrtool/apng.h"

#include <algorithm>
#include <cstring>
#include <string>

#include <zlib.h>

#include "scrtool/png_file.h"

namespace scrtool {
namespace {

constexpr std::size_t SignatureSize = 8;

struct Chunk {
    std::string type;
    std::vector<std::uint8_t> data;
};

std::uint32_t Big32(const std::uint8_t* bytes) {
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 | std::uint32_t{bytes[2]} << 8 | bytes[3];
}

void PutBig32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutBig16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

using Encoded = base::Result<std::vector<std::uint8_t>>;

base::Error Failed(std::string detail) { return base::Error{PngEncodingFailed(), {}, std::move(detail)}; }

// The chunks of a PNG the still encoder wrote; none when it is not whole,
// which would be a fault of ours.
std::vector<Chunk> ChunksOf(const std::vector<std::uint8_t>& png) {
    std::vector<Chunk> chunks;
    std::size_t at = SignatureSize;
    while (at + 12 <= png.size()) {
        const std::uint32_t length = Big32(&png[at]);
        if (length > png.size() - at - 12)
            break;
        chunks.push_back({std::string(reinterpret_cast<const char*>(&png[at + 4]), 4),
                          std::vector<std::uint8_t>(png.begin() + static_cast<std::ptrdiff_t>(at + 8),
                                                    png.begin() + static_cast<std::ptrdiff_t>(at + 8 + length))});
        at += 12 + length;
    }
    if (png.size() < SignatureSize || at != png.size() || chunks.empty() || chunks.back().type != "IEND")
        return {};
    return chunks;
}

void PutChunk(std::vector<std::uint8_t>& out, const std::string& type, const std::vector<std::uint8_t>& data) {
    PutBig32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    // The CRC covers the type and the data.
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), &out[typeAt], static_cast<uInt>(out.size() - typeAt));
    PutBig32(out, static_cast<std::uint32_t>(crc));
}

std::vector<std::uint8_t> FrameControl(std::uint32_t sequence, const picture::Image& frame, FrameDelay delay) {
    std::vector<std::uint8_t> data;
    PutBig32(data, sequence);
    PutBig32(data, static_cast<std::uint32_t>(picture::WidthOf(frame)));
    PutBig32(data, static_cast<std::uint32_t>(picture::HeightOf(frame)));
    PutBig32(data, 0);  // x offset
    PutBig32(data, 0);  // y offset
    PutBig16(data, delay.numerator);
    PutBig16(data, delay.denominator);
    data.push_back(0);  // dispose: leave the frame as it is
    data.push_back(0);  // blend: the frame replaces what was there
    return data;
}

// The frames as one kind of picture: indexed when all share one palette.
std::vector<picture::Image> OneKind(const std::vector<picture::Image>& frames) {
    const auto* first = std::get_if<picture::IndexedPicture>(&frames[0]);
    const bool shared = first && std::all_of(frames.begin(), frames.end(), [&](const picture::Image& frame) {
                            const auto* indexed = std::get_if<picture::IndexedPicture>(&frame);
                            return indexed && indexed->palette == first->palette;
                        });
    if (shared)
        return frames;
    std::vector<picture::Image> rgb;
    for (const picture::Image& frame : frames)
        rgb.push_back(picture::ToRgb(frame));
    return rgb;
}

// The later frames' image data, numbered, in frame chunks.
base::Status PutLaterFrames(std::vector<std::uint8_t>& out, const std::vector<picture::Image>& frames,
                            std::uint32_t& sequence, FrameDelay delay) {
    for (std::size_t i = 1; i < frames.size(); ++i) {
        PutChunk(out, "fcTL", FrameControl(sequence++, frames[i], delay));
        const Encoded png = EncodePng(frames[i]);
        if (!png)
            return png.error();
        const std::vector<Chunk> chunks = ChunksOf(*png);
        if (chunks.empty())
            return Failed("a frame gave no whole picture");
        for (const Chunk& data : chunks) {
            if (data.type != "IDAT")
                continue;
            std::vector<std::uint8_t> numbered;
            PutBig32(numbered, sequence++);
            numbered.insert(numbered.end(), data.data.begin(), data.data.end());
            PutChunk(out, "fdAT", numbered);
        }
    }
    return base::Done{};
}

}  // namespace

Encoded EncodeAnimatedPng(const std::vector<picture::Image>& given, FrameDelay delay) {
    if (given.empty())
        return Failed("an animation needs a frame");
    for (const picture::Image& frame : given)
        if (picture::WidthOf(frame) != picture::WidthOf(given[0]) ||
            picture::HeightOf(frame) != picture::HeightOf(given[0]))
            return Failed("the frames of an animation differ in size");
    const std::vector<picture::Image> frames = OneKind(given);

    const Encoded first = EncodePng(frames[0]);
    if (!first)
        return first.error();
    const std::vector<Chunk> chunks = ChunksOf(*first);
    if (chunks.empty())
        return Failed("the first frame gave no whole picture");
    std::vector<std::uint8_t> out(first->begin(), first->begin() + SignatureSize);
    std::uint32_t sequence = 0;
    bool framesPut = false;
    for (const Chunk& chunk : chunks) {
        if (chunk.type == "IDAT" && !framesPut) {
            std::vector<std::uint8_t> control;
            PutBig32(control, static_cast<std::uint32_t>(frames.size()));
            PutBig32(control, 0);  // plays: without end
            PutChunk(out, "acTL", control);
            PutChunk(out, "fcTL", FrameControl(sequence++, frames[0], delay));
            framesPut = true;
        }
        if (chunk.type == "IEND")
            if (base::Status later = PutLaterFrames(out, frames, sequence, delay); !later)
                return later.error();
        PutChunk(out, chunk.type, chunk.data);
    }
    return out;
}

}  // namespace scrtool
