#pragma once
// The readers behind FindScreens, one per family of files; internal to extract/.

#include <libspectrum.h>

#include <span>
#include <string>

#include "extract/screen_finder.h"

namespace extract {

// libspectrum's last message for the reading thread, or a text for the error.
std::string Failure(libspectrum_error error);

// Tapes: .tap, .tzx, .pzx and .csw.
Contents ReadTape(std::span<const std::uint8_t> file, const std::string& fileName, libspectrum_id_t type);

// Snapshots through libspectrum (.sna, .z80, .szx), .sp by our own reader,
// and an input recording's first snapshot.
Contents ReadSnapshot(std::span<const std::uint8_t> file, const std::string& fileName, libspectrum_id_t type);
Contents ReadSp(std::span<const std::uint8_t> file);
Contents ReadRecording(std::span<const std::uint8_t> file);

}  // namespace extract
