#pragma once
// FindScreens in a child process. libspectrum's readers trust the sizes in a
// file: damaged files have made them write past their buffers, ask for
// gigabytes or loop for good. In a child, any of that ends the child alone
// and comes back as the file's one-line reason.

#include "extract/screen_finder.h"

namespace extract {

// As FindScreens; a reader that crashes, takes longer than ten seconds (on
// the clock or the processor) or more than 512 MB of memory gives an error
// instead, and so does an answer longer than the file could hold.
Contents FindScreensGuarded(std::span<const std::uint8_t> file, const std::string& fileName);

}  // namespace extract
