// Tapes, snapshots and recordings of any bytes, read by the readers extract
// runs in its child process, here in this process so that a crash or a
// sanitizer's report in them is a finding and their paths guide the search:
// every file gives screens or a one-line reason, never a crash. The first
// byte picks the file name, which guides libspectrum's guess of the format.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>

#include "extract/screen_finder.h"
#include "screen/screen_layout.h"

namespace {

constexpr const char* Names[] = {"f.tap", "f.tzx", "f.pzx", "f.csw", "f.sna", "f.z80",
                                 "f.szx", "f.sp",  "f.rzx", "f.scr", "f"};

void Require(bool holds, const char* law) {
    if (!holds) {
        std::fprintf(stderr, "law broken: %s\n", law);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string name = Names[data[0] % std::size(Names)];
    const extract::Contents contents = extract::FindScreens({data + 1, size - 1}, name);
    Require(contents.error.find('\n') == std::string::npos, "a reason is one line");
    Require(contents.error.empty() || contents.found.empty(), "a file that failed gives no screens");
    Require(contents.found.size() <= extract::MaxDataBlocks, "no more blocks than the limit");
    std::size_t packed = 0;
    for (const extract::Found& found : contents.found) {
        Require(found.isScreen == !found.screen.empty(), "screen bytes come with a screen and only with one");
        const std::size_t size = found.screen.size();
        const bool classic = size == screen::ScreenSize && found.mode.empty();
        const bool ulaPlus = size == screen::ScreenSize + 64 && found.mode == "ULAplus";
        const bool timex = (size == 2 * screen::BitmapSize && found.mode == "Timex hi-colour") ||
                           (size == 2 * screen::BitmapSize + 1 && found.mode == "Timex hi-res") ||
                           (size == 2 * screen::BitmapSize + 64 && found.mode == "Timex hi-colour with ULAplus");
        Require(!found.isScreen || classic || ulaPlus || timex, "a screen is whole, in the file of its mode");
        // snap2tzx's loading screen is packed into a turbo block of any other length.
        const bool unpacked = found.isScreen && found.kind == "turbo" && classic &&
                              found.length != screen::ScreenSize && found.length != screen::ScreenSize + 2;
        Require(!found.isScreen || unpacked || found.length >= size, "a screen comes from a whole block");
        packed += unpacked ? 1 : 0;
    }
    Require(packed <= extract::MaxPackedScreens, "no more packed screens than the limit");
    return 0;
}
