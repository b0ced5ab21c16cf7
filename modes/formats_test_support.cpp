#include "modes/formats_test_support.h"

#include <gtest/gtest.h>

#include "testsupport/pixel_oracle.h"

namespace formats_test {

Bytes RandomBytes(std::size_t size, std::uint32_t seed) {
    Bytes bytes(size);
    std::uint32_t state = seed * 2654435761u + 1;
    for (auto& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(state >> 16);
    }
    return bytes;
}

int InterleavedLine(int y) { return testsupport::PixelOffset(0, y); }

screen::ColourCode ScreenColour(const std::uint8_t* screen, int x, int y, screen::FlashPhase phase) {
    const std::uint8_t attribute = screen[testsupport::AttributeOffset(x / 8, y / 8)];
    bool ink = testsupport::PixelOf(screen, x, y);
    if (phase == screen::FlashPhase::Second && (attribute & 0x80))
        ink = !ink;
    const bool bright = (attribute & 0x40) != 0;
    return screen::SpectrumColour(ink ? attribute & 7 : (attribute >> 3) & 7, bright);
}

screen::DecodedPicture DecodeAs(const std::string& extension, const Bytes& bytes, screen::FlashPhase phase) {
    const modes::PictureMode* mode = modes::ModeFor(extension, bytes.size());
    if (mode == nullptr) {
        ADD_FAILURE() << "no row takes ." << extension << " of " << bytes.size() << " bytes";
        return {};
    }
    auto decoded = mode->decode(bytes, phase);
    if (!decoded) {
        ADD_FAILURE() << mode->name << " refused: " << decoded.error().Message();
        return {};
    }
    return std::move(decoded).value();
}

std::string RefusalAs(const std::string& extension, const Bytes& bytes) {
    const modes::PictureMode* mode = modes::ModeFor(extension, bytes.size());
    if (mode == nullptr)
        return "no row";
    auto decoded = mode->decode(bytes, screen::FlashPhase::First);
    return decoded ? "" : decoded.error().Message();
}

void PutText(Bytes& bytes, std::size_t at, const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i)
        bytes[at + i] = static_cast<std::uint8_t>(text[i]);
}

}  // namespace formats_test
