// Every part of every mode, checked against the mode's own decoder rather
// than against the layouts written again: a byte of a part changes the
// picture where that part shows (a frame's bytes that frame alone, a border
// byte the border alone, a plane's byte at (x, y) the eight pixels from
// there), and the whole file is the parts' bytes, none left out or read twice.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "export/mode_parts.h"
#include "modes/formats_test_support.h"
#include "screen/screen_layout.h"
#include "testsupport/mode_files.h"
#include "testsupport/pixel_oracle.h"

namespace exporter {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Change {
    std::vector<bool> frames;  // which frames changed
    bool outsideScreen = false;
    bool outsideSpan = false;  // a pixel changed beyond the span asked about
};

// What flipping every bit of byte `at` changes in the picture; `span` (x, y of
// the screen area) names eight pixels a change may touch, when x >= 0.
Change Flip(const modes::PictureMode& mode, const Bytes& file, const screen::DecodedPicture& before, std::size_t at,
            int spanX = -1, int spanY = -1) {
    Bytes flipped = file;
    flipped[at] ^= 0xFF;
    const auto after = mode.decode(flipped, screen::FlashPhase::First);
    Change change{std::vector<bool>(before.frames, false)};
    if (!after.ok())
        return change;
    const modes::Border& border = mode.border;
    for (int frame = 0; frame < before.frames; ++frame)
        for (int y = 0; y < before.height; ++y)
            for (int x = 0; x < before.width; ++x) {
                if (after->at(frame, x, y) == before.at(frame, x, y))
                    continue;
                change.frames[frame] = true;
                const int sx = x - border.left, sy = y - border.top;
                change.outsideScreen |= sx < 0 || sy < 0 || sx >= before.width - border.left - border.right ||
                                        sy >= before.height - border.top - border.bottom;
                change.outsideSpan |= spanX >= 0 && (sy != spanY || sx < spanX || sx >= spanX + 8);
            }
    return change;
}

// A few bytes of each of a few runs, spread over them.
std::vector<std::size_t> Samples(const Runs& runs) {
    std::vector<std::size_t> places;
    const std::size_t step = std::max<std::size_t>(1, runs.size() / 6);
    for (std::size_t i = 0; i < runs.size(); i += step)
        for (std::size_t k = 0; k < 8; ++k)
            places.push_back(runs[i].offset + k * (runs[i].size - 1) / 7);
    return places;
}

bool Inside(const Runs& runs, std::size_t at) {
    return std::any_of(runs.begin(), runs.end(),
                       [at](const Run& run) { return at >= run.offset && at < run.offset + run.size; });
}

int FrameOf(Part part) {
    switch (part) {
    case Part::Frame1:
    case Part::Frame1Bitmap:
    case Part::Frame1Attributes: return 0;
    case Part::Frame2:
    case Part::Frame2Bitmap:
    case Part::Frame2Attributes: return 1;
    default: return -1;
    }
}

// The other frame's part of the same kind: bytes both frames share (an
// .hlr's one cell pattern) change both.
Part OtherFrames(Part part) {
    switch (part) {
    case Part::Frame1: return Part::Frame2;
    case Part::Frame1Bitmap: return Part::Frame2Bitmap;
    case Part::Frame1Attributes: return Part::Frame2Attributes;
    case Part::Frame2: return Part::Frame1;
    case Part::Frame2Bitmap: return Part::Frame1Bitmap;
    case Part::Frame2Attributes: return Part::Frame1Attributes;
    default: return part;
    }
}

void CheckPart(const modes::PictureMode& mode, const Bytes& file, const screen::DecodedPicture& picture, Part part) {
    const std::string what = std::string(mode.name) + " " + std::string(PartName(part));
    const Runs runs = PartRuns(mode, file.size(), part);
    const int frame = FrameOf(part);
    const Runs others = frame >= 0 ? PartRuns(mode, file.size(), OtherFrames(part)) : Runs{};
    bool anyChange = false;
    for (std::size_t at : Samples(runs)) {
        const Change change = Flip(mode, file, picture, at);
        anyChange |= std::find(change.frames.begin(), change.frames.end(), true) != change.frames.end();
        if (frame >= 0 && !Inside(others, at)) {
            EXPECT_FALSE(change.frames[1 - frame]) << what << ": byte " << at << " changes the other frame";
        }
        if (part == Part::Border) {
            EXPECT_FALSE(change.frames[0] && !change.outsideScreen) << what << ": byte " << at;
        }
        if (part != Part::Border && part != Part::Palette) {
            EXPECT_FALSE(change.outsideScreen) << what << ": byte " << at << " changes the border";
        }
    }
    EXPECT_TRUE(anyChange) << what << ": no byte of it shows";
}

// A plane's byte at (x, y), by testsupport's arithmetic or 32 a line,
// colours the eight pixels from (x, y) and nothing else.
void CheckPlanes(const modes::PictureMode& mode, const Bytes& file, const screen::DecodedPicture& picture) {
    if (mode.width != screen::ScreenWidth + mode.border.left + mode.border.right)
        return;  // Timex hi-res: a plane's byte is every other 8 pixels of a line
    for (Part part : {Part::Bitmap, Part::Attributes})
        for (const Run& run : PartRuns(mode, file.size(), part)) {
            if (run.holds == Holds::Bytes)
                continue;
            ASSERT_EQ(run.size % screen::BitmapSize, 0u) << mode.name;
            for (std::size_t plane = run.offset; plane < run.offset + run.size; plane += screen::BitmapSize)
                for (const auto& [x, y] :
                     {std::pair{0, 0}, std::pair{8, 1}, std::pair{248, 63}, std::pair{136, 100}, std::pair{64, 191}}) {
                    const std::size_t at = plane + (run.screenOrder ? testsupport::PixelOffset(x, y)
                                                                    : static_cast<std::size_t>(y * 32 + x / 8));
                    EXPECT_FALSE(Flip(mode, file, picture, at, x, y).outsideSpan)
                        << mode.name << " " << PartName(part) << ": (" << x << ", " << y << ")";
                }
        }
}

TEST(ModeParts, EveryPartOfEveryModeIsBytesItsDecoderShowsThere) {
    std::uint32_t seed = 1;
    int checked = 0;
    for (const modes::PictureMode& mode : modes::PictureModes()) {
        if (mode.sizes.empty())
            continue;  // sizes from the header: the file goes out whole
        const std::size_t size = mode.sizes.front();
        Bytes file = formats_test::RandomBytes(size, seed++);
        testsupport::PlantSignature(file, mode.name);
        const auto picture = mode.decode(file, screen::FlashPhase::First);
        ASSERT_TRUE(picture.ok()) << mode.name;
        std::vector<int> owner(size, -1);  // which of bitmap, attributes, palette, border holds each byte
        for (Part part : PartsOf(mode, size)) {
            for (const exporter::Run& run : PartRuns(mode, size, part))
                ASSERT_LE(run.offset + run.size, size) << mode.name << " " << PartName(part);
            if (part == Part::All)
                continue;
            CheckPart(mode, file, *picture, part);
            if (part <= Part::Border)
                for (const exporter::Run& run : PartRuns(mode, size, part))
                    for (std::size_t at = run.offset; at < run.offset + run.size; ++at) {
                        EXPECT_TRUE(owner[at] == -1) << mode.name << ": byte " << at << " is in two parts";
                        owner[at] = static_cast<int>(part);
                    }
        }
        CheckPlanes(mode, file, *picture);
        Runs whole = PartRuns(mode, size, Part::All);
        std::size_t next = 0;
        for (const exporter::Run& run : whole) {
            EXPECT_EQ(run.offset, next) << mode.name;
            next = run.offset + run.size;
        }
        EXPECT_EQ(next, size) << mode.name;
        EXPECT_EQ(Gather(file, whole, Arrangement::AsStored), file) << mode.name;
        ++checked;
    }
    EXPECT_GE(checked, 25);
}

// The modes with two frames give each frame; the rest none.
TEST(ModeParts, TwoFrameModesOfferEachFrame) {
    for (const modes::PictureMode& mode : modes::PictureModes()) {
        if (mode.sizes.empty())
            continue;
        const auto parts = PartsOf(mode, mode.sizes.front());
        const bool framed = std::find(parts.begin(), parts.end(), Part::Frame2) != parts.end();
        EXPECT_EQ(framed, mode.frames == 2) << mode.name;
    }
}

}  // namespace
}  // namespace exporter
