#pragma once
// findScreens in a child process. libspectrum's readers trust the sizes in a
// file: damaged files have made them write past their buffers, ask for
// gigabytes or loop for good. In a child, any of that ends the child alone
// and comes back as the file's one-line reason.

#include "extract/screen_finder.h"

namespace extract {

// As findScreens; a reader that crashes, or takes longer than ten seconds,
// gives an error instead.
Contents findScreensGuarded(std::span<const std::uint8_t> file, const std::string& fileName);

}  // namespace extract
