#include "testsupport/mode_files.h"

#include <algorithm>
#include <iterator>

#include "testsupport/real_screens.h"

namespace testsupport {

std::vector<std::uint8_t> RealBytesOfSize(std::uint64_t size) {
    std::vector<std::uint8_t> bytes;
    while (bytes.size() < size)
        for (const RealScreen& real : RealScreens())
            bytes.insert(bytes.end(), real.bytes.begin(), real.bytes.end());
    bytes.resize(size);
    return bytes;
}

void PlantSignature(std::vector<std::uint8_t>& bytes, std::string_view mode) {
    std::vector<std::uint8_t> head;
    if (mode.starts_with("mg") && mode.size() == 3) {
        head = {'M', 'G', 'H', 1, static_cast<std::uint8_t>(mode[2] - '0')};
    } else if (mode == "hlr") {
        head = {0x76, 0xAF, 0xD3, 0xFE, 0x21, 0x00, 0x58};
    } else if (mode == "zxs") {
        head = {'Z', 'X', '_', 'S', 'S', 'C', 'I', 'I', 0x94, 0x09, 0x00, 0x00};
        // Its 768 character codes each name one of its 112 glyphs.
        constexpr std::size_t Codes = 908, CodeCount = 768, Glyphs = 112;
        for (std::size_t i = Codes; i < Codes + CodeCount && i < bytes.size(); ++i)
            bytes[i] %= Glyphs;
    }
    std::copy_n(head.begin(), std::min(head.size(), bytes.size()), bytes.begin());
}

}  // namespace testsupport
