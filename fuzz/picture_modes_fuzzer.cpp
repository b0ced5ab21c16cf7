// Every reader of the picture-mode table over hostile bytes. The input is an
// extension, a newline and a file: the file goes to the row the extension and
// its size choose, as the readers choose, and, cut or padded with zeros, to
// every fixed size of each row that takes the extension, so that a short
// input reaches deep into any format. No reader may read outside the bytes,
// a picture must be as large as its pixels say, and where a row writes a
// picture back, the bytes it writes must draw that picture again.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "modes/decoders.h"
#include "modes/picture_modes.h"

namespace {

[[noreturn]] void Fail(std::string_view row, const char* law) {
    std::fprintf(stderr, "%.*s: law broken: %s\n", static_cast<int>(row.size()), row.data(), law);
    std::abort();
}

// Deep: both FLASH phases and the writer's round trip, for the file as the
// readers would choose its row; the padded copies are only decoded.
enum class Depth { Decode, Deep };

void Check(const modes::PictureMode& mode, modes::Bytes bytes, Depth depth) {
    for (screen::FlashPhase phase : {screen::FlashPhase::First, screen::FlashPhase::Second}) {
        if (phase == screen::FlashPhase::Second && depth == Depth::Decode)
            return;
        auto decoded = mode.decode(bytes, phase);
        if (!decoded)
            return;
        const screen::DecodedPicture& picture = *decoded;
        if (picture.width < 1 || picture.height < 1 || picture.frames < 1 || picture.frames > 2 ||
            picture.width > modes::MaxPictureSide || picture.height > modes::MaxPictureSide)
            Fail(mode.name, "a picture of no pixels or past the largest drawn");
        if (picture.pixels.size() != static_cast<std::size_t>(picture.frames) * picture.width * picture.height)
            Fail(mode.name, "pixels and size disagree");
        for (screen::ColourCode code : picture.pixels)
            if (code >= screen::ColourCodeCount)
                Fail(mode.name, "a colour code past the last");
        if (mode.width > 0 && (picture.width != mode.width || picture.height != mode.height))
            Fail(mode.name, "a picture not of the row's size");
        if (mode.encode == nullptr || phase != screen::FlashPhase::First || depth == Depth::Decode)
            continue;
        auto written = mode.encode(picture);
        if (!written)
            continue;
        auto again = mode.decode(*written, phase);
        if (!again || again->pixels != picture.pixels)
            Fail(mode.name, "the written file does not draw the picture it was written from");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t newline = input.find('\n');
    if (newline == std::string_view::npos || newline > 8)
        return 0;
    const std::string_view extension = input.substr(0, newline);
    const modes::Bytes file(data + newline + 1, size - newline - 1);
    if (const modes::PictureMode* mode = modes::ModeFor(extension, file.size()))
        Check(*mode, file, Depth::Deep);
    for (const modes::PictureMode& mode : modes::PictureModes()) {
        bool takes = false;
        for (std::string_view own : mode.extensions)
            takes = takes || own == extension;
        if (!takes)
            continue;
        for (std::uint64_t fixed : mode.sizes) {
            std::vector<std::uint8_t> sized(file.begin(), file.begin() + std::min<std::size_t>(file.size(), fixed));
            sized.resize(fixed);
            if (sized.size() != file.size())
                Check(mode, sized, Depth::Decode);
        }
    }
    return 0;
}
