// GIF through giflib, record by record up to the first frame, so that an
// animation's later frames are never read. The frame is laid on a canvas of
// the GIF's logical size in the background colour (the file's own
// background index is ignored, as browsers do); transparent pixels show it.
#include <algorithm>
#include <cstring>

#include <gif_lib.h>

#include "picture_in/decode.h"

namespace picture_in {
namespace {

struct Source {
    std::span<const std::uint8_t> bytes;
    std::size_t at = 0;
};

int ReadBytes(GifFileType* gif, GifByteType* into, int count) {
    auto* source = static_cast<Source*>(gif->UserData);
    const std::size_t n =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(count, 0)), source->bytes.size() - source->at);
    std::memcpy(into, source->bytes.data() + source->at, n);
    source->at += n;
    return static_cast<int>(n);
}

std::string GifCause(int code) {
    const char* text = GifErrorString(code);
    return std::string("bad GIF: ") + (text ? text : "unreadable data");
}

// Reads records up to the first image; returns its transparent index (-1
// for none) through `transparent`.
std::string SkipToFrame(GifFileType* gif, int& transparent) {
    for (;;) {
        GifRecordType record;
        if (DGifGetRecordType(gif, &record) == GIF_ERROR)
            return GifCause(gif->Error);
        if (record == IMAGE_DESC_RECORD_TYPE)
            return "";
        if (record == TERMINATE_RECORD_TYPE)
            return "GIF has no frames";
        if (record != EXTENSION_RECORD_TYPE)
            continue;
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
            return GifCause(gif->Error);
        while (block) {
            if (code == GRAPHICS_EXT_FUNC_CODE && block[0] >= 4)
                transparent = (block[1] & 1) ? block[4] : -1;
            if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
                return GifCause(gif->Error);
        }
    }
}

std::string ReadFrame(GifFileType* gif, const DecodeOptions& options, Picture& picture) {
    int transparent = -1;
    if (std::string cause = SkipToFrame(gif, transparent); !cause.empty())
        return cause;
    if (DGifGetImageDesc(gif) == GIF_ERROR)
        return GifCause(gif->Error);
    const GifImageDesc& frame = gif->Image;
    // A logical screen smaller than the frame (some writers put 0) grows to it.
    const std::int64_t width = std::max<std::int64_t>(gif->SWidth, std::int64_t{frame.Left} + frame.Width);
    const std::int64_t height = std::max<std::int64_t>(gif->SHeight, std::int64_t{frame.Top} + frame.Height);
    if (std::string refusal = SizeRefusal(width, height); !refusal.empty())
        return refusal;
    if (frame.Width <= 0 || frame.Height <= 0)
        return "GIF frame has no pixels";
    const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!map)
        return "GIF has no colour table";
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    picture.pixels.assign(static_cast<std::size_t>(width) * height, options.background);
    std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));
    auto put = [&](int y) {
        Rgb* out = picture.pixels.data() + static_cast<std::size_t>(frame.Top + y) * picture.width + frame.Left;
        for (int x = 0; x < frame.Width; ++x) {
            const int index = line[x];
            if (index == transparent)
                continue;
            const GifColorType c = index < map->ColorCount ? map->Colors[index] : GifColorType{0, 0, 0};
            out[x] = Rgb{c.Red, c.Green, c.Blue};
        }
    };
    // Interlaced frames arrive in four passes: every 8th line from 0, every
    // 8th from 4, every 4th from 2, every 2nd from 1.
    static constexpr int Starts[] = {0, 4, 2, 1};
    static constexpr int Steps[] = {8, 8, 4, 2};
    const int passes = frame.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass)
        for (int y = frame.Interlace ? Starts[pass] : 0; y < frame.Height; y += frame.Interlace ? Steps[pass] : 1) {
            if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR)
                return GifCause(gif->Error);
            put(y);
        }
    return "";
}

}  // namespace

Decoded DecodeGif(std::span<const std::uint8_t> bytes, const DecodeOptions& options) {
    Source source{bytes};
    int error = 0;
    GifFileType* gif = DGifOpen(&source, ReadBytes, &error);
    if (!gif)
        return Refused(GifCause(error));
    Picture picture;
    const std::string cause = ReadFrame(gif, options, picture);
    DGifCloseFile(gif, &error);
    if (!cause.empty())
        return Refused(cause);
    return picture;
}

}  // namespace picture_in
