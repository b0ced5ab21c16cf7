// The Qt reader of .scr files over random devices. The first three bytes
// steer: bit 0 of the first cuts or pads the rest to exactly a classic screen
// (random bytes are almost never one), bit 1 asks for a scaled size given by
// the next two. The reader must take exactly the sizes the mode table takes
// for .scr, give a picture of the size asked and, unscaled, a picture of the
// 15 colours only colours of the window's palette.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

#include <QBuffer>
#include <QImage>

#include "imageformats/qt/scr_image_handler.h"
#include "imageformats/screen_image.h"
#include "screen/screen_layout.h"

namespace {

[[noreturn]] void Fail(const char* law) {
    std::fprintf(stderr, "law broken: %s\n", law);
    std::abort();
}

bool InWindowPalette(QRgb pixel) {
    for (int number = 0; number < 16; ++number) {
        const picture::Rgb colour = picture::SpectrumRgb(number & 7, number >= 8);
        if (qRed(pixel) == colour.red && qGreen(pixel) == colour.green && qBlue(pixel) == colour.blue)
            return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3)
        return 0;
    const bool makeScreen = data[0] & 1;
    const bool scaled = data[0] & 2;
    const QSize asked(1 + data[1] % 300, 1 + data[2] % 300);
    QByteArray bytes(reinterpret_cast<const char*>(data + 3), static_cast<int>(size - 3));
    if (makeScreen)
        bytes.resize(screen::ScreenSize);
    const std::span<const std::uint8_t> all(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                            static_cast<std::size_t>(bytes.size()));
    const modes::PictureMode* mode =
        imageformats::ModeOfFile("scr", all.size(), all.first(std::min<std::size_t>(2, all.size())));

    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    imageformats::ScreenImageHandler handler("scr");
    handler.setDevice(&device);
    if (scaled)
        handler.setOption(QImageIOHandler::ScaledSize, asked);
    if (handler.canRead() != (mode != nullptr))
        Fail("canRead takes exactly the sizes of .scr");
    if (device.pos() != 0)
        Fail("canRead moves the device");
    QImage picture;
    if (handler.read(&picture) != (mode != nullptr))
        Fail("read takes exactly the sizes of .scr");
    if (!mode)
        return 0;
    if (picture.size() != (scaled ? asked : QSize(mode->width, mode->height * mode->rowRepeat)))
        Fail("the picture has the size asked for");
    if (!scaled && mode->palette == modes::PaletteKind::Spectrum)
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if (!InWindowPalette(picture.pixel(x, y)))
                    Fail("every pixel has a colour of the window's palette");
    return 0;
}
