#pragma once
// Files of any picture mode for benchmarks: bytes real enough for zlib and
// the decoders, and the signature of the formats that check one.

#include <cstdint>
#include <string_view>
#include <vector>

namespace testsupport {

// The real screens' bytes one after another, cut to `size`.
std::vector<std::uint8_t> RealBytesOfSize(std::uint64_t size);

// Writes over the first bytes the signature the mode named `mode` checks
// (MultiArtist's header, .hlr's code prefix, .zxs's header and glyph
// numbers); other modes' bytes are left as they are.
void PlantSignature(std::vector<std::uint8_t>& bytes, std::string_view mode);

}  // namespace testsupport
