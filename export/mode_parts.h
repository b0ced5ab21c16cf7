#pragma once
// The parts of a picture file of any mode, for a build: where each lies in
// the file, what it holds, and its bytes in the order a build asks for.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "export/screen_bytes.h"
#include "modes/picture_modes.h"

namespace exporter {

// What a run of a file holds: bytes to copy as they are, or whole planes of
// 192 pixel lines of 32 bytes (6144 bytes a plane): bitmaps, and the 8x1
// attributes of Timex hi-colour and .mlt, a byte for each 8 pixels of a line.
enum class Holds { Bytes, Bitmap, Attributes };

struct Run {
    std::size_t offset = 0;
    std::size_t size = 0;
    Holds holds = Holds::Bytes;
    bool screenOrder = true;  // a plane's lines as in the screen's memory, else top to bottom

    bool operator==(const Run&) const = default;
};
using Runs = std::vector<Run>;

// How the planes of a part go out: as the file stores them, in screen or
// linear order, or (bitmaps only) in RCS order, the rest as stored.
enum class Arrangement { AsStored, Screen, Linear, Rcs };

// The runs of `part` of a file of `mode` `size` bytes long, in the order
// they go out; empty when the mode has no such part. All is the whole file.
Runs PartRuns(const modes::PictureMode& mode, std::size_t size, Part part);

// The parts a file of the mode has, in the option's order.
std::vector<Part> PartsOf(const modes::PictureMode& mode, std::size_t size);

bool HoldsPlanes(const Runs& runs);
bool HoldsBitmap(const Runs& runs);

// The runs' bytes of `file`, their planes arranged as asked.
std::vector<std::uint8_t> Gather(std::span<const std::uint8_t> file, const Runs& runs, Arrangement arrangement);

}  // namespace exporter
