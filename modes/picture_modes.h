#pragma once
// The modes of the Spectrum's picture memory, one row each: what a file of
// the mode holds, where its parts lie, how big its picture is, and the
// functions that turn its bytes into colour codes and back. A file's
// extension and size together choose its row.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "screen/decoded_picture.h"

namespace modes {

using Bytes = std::span<const std::uint8_t>;
using Decoder = base::Result<screen::DecodedPicture> (*)(Bytes bytes, screen::FlashPhase phase);
// The bytes of a picture the mode shows exactly, or an error saying what does not fit.
using Encoder = base::Result<std::vector<std::uint8_t>> (*)(const screen::DecodedPicture& picture);
// For the few formats whose size follows from their header: whether a file
// of `size` bytes may be one (its header is checked by the decoder).
using SizeTest = bool (*)(std::uint64_t size);

// How a part's lines follow each other: the Spectrum's screen order, row
// after row, or none of the two (a part read by the format's own rule).
enum class Order { None, Interleaved, Linear };

enum class PaletteKind {
    Spectrum,    // the 15 colours: 8 numbers, BRIGHT or not (black once)
    UlaPlus,     // 64 colours of 256 chosen by a palette in the file
    TimexHiRes,  // two: one colour and its complement
};

// Where a part of the file lies; size 0 when the mode has no such part.
struct Part {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
    Order order = Order::None;
};

// Pixels of border around the picture memory's own area, at scale 1.
struct Border {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct PictureMode {
    std::string_view name;                         // "classic", "bitmap", ...
    std::span<const std::string_view> extensions;  // lower case, without the dot
    std::span<const std::uint64_t> sizes;          // the exact sizes accepted
    SizeTest sizeTest = nullptr;                   // for sizes no list can hold; null when the list says all
    std::uint64_t largestSize = 0;                 // no reader needs more bytes than this
    int width = 0;                                 // of the picture at scale 1
    int height = 0;
    int rowRepeat = 1;
    int frames = 1;          // decoded
    int framesReported = 1;  // as the format counts them (3 for a tricolour picture of one frame)
    int cellHeight = 0;      // pixel lines an attribute colours: 8, 4, 2, 1; 0 for none
    Part bitmap{};
    Part attributes{};
    PaletteKind palette = PaletteKind::Spectrum;
    Border border{};
    int headerBytes = 0;  // before the picture
    Decoder decode = nullptr;
    Encoder encode = nullptr;  // null when the mode has none

    bool Accepts(std::uint64_t size) const;
};

std::span<const PictureMode> PictureModes();

// The row of a file named with `extension` (any case, with or without the
// dot) and `size` bytes long; null when no row takes it.
const PictureMode* ModeFor(std::string_view extension, std::uint64_t size);

// The row named `name` ("classic"); null when none is.
const PictureMode* ModeNamed(std::string_view name);

// The classic screen's row: the one mode the window opens and the operations work on.
const PictureMode& ClassicMode();

// The largest size any row takes for `extension`: what a reader that knows
// only the name reads at most; 0 when no row takes the extension.
std::uint64_t LargestSizeFor(std::string_view extension);

// Words for a palette kind, as info reports it.
std::string_view PaletteKindName(PaletteKind kind);

}  // namespace modes
