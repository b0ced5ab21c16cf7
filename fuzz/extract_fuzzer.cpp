// Tapes, snapshots and recordings of any bytes, read as extract reads them
// (libspectrum's readers in a child process, and ours for .sp and for the
// checks before them): every file gives screens or a one-line reason, never
// a crash. The first byte picks the file name, which guides libspectrum's
// guess of the format.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>

#include "extract/guarded_reader.h"

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
    const extract::Contents contents = extract::findScreensGuarded({data + 1, size - 1}, name);
    Require(contents.error.find('\n') == std::string::npos, "a reason is one line");
    Require(contents.error.empty() || contents.found.empty(), "a file that failed gives no screens");
    for (const extract::Found& found : contents.found)
        Require(!found.isScreen || found.length >= found.screen.size(), "a screen comes from a whole block");
    return 0;
}
