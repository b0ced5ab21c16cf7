// The Qt reader of screens over random devices. The first three bytes steer:
// bit 0 of the first cuts or pads the rest to exactly a screen (random bytes
// are almost never one), bit 1 asks for a scaled size given by the next two.
// The reader must take exactly the screens, give a picture of the size asked
// and, unscaled, only colours of the window's palette.

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <QBuffer>
#include <QImage>

#include "imageformats/qt/scr_image_handler.h"
#include "imageformats/screen_image.h"

namespace {

[[noreturn]] void Fail(const char* law) {
    std::fprintf(stderr, "law broken: %s\n", law);
    std::abort();
}

bool InWindowPalette(QRgb pixel) {
    for (int number = 0; number < 16; ++number) {
        const render::Rgb colour = picture::SpectrumRgb(number & 7, number >= 8);
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
        bytes.resize(static_cast<int>(imageformats::ScreenBytes));
    const bool screen = bytes.size() == static_cast<int>(imageformats::ScreenBytes) && !bytes.startsWith("MZ");

    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    imageformats::ScreenImageHandler handler;
    handler.setDevice(&device);
    if (scaled)
        handler.setOption(QImageIOHandler::ScaledSize, asked);
    if (handler.canRead() != screen)
        Fail("canRead takes exactly the screens");
    if (device.pos() != 0)
        Fail("canRead moves the device");
    QImage picture;
    if (handler.read(&picture) != screen)
        Fail("read takes exactly the screens");
    if (!screen)
        return 0;
    if (picture.size() != (scaled ? asked : QSize(imageformats::PictureWidth, imageformats::PictureHeight)))
        Fail("the picture has the size asked for");
    if (!scaled)
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if (!InWindowPalette(picture.pixel(x, y)))
                    Fail("every pixel has a colour of the window's palette");
    return 0;
}
