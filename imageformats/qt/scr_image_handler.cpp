#include "imageformats/qt/scr_image_handler.h"

#include <QImage>
#include <QIODevice>
#include <QVariant>

#include "imageformats/screen_image.h"

namespace imageformats {

bool ScreenImageHandler::CanRead(QIODevice* device) {
    if (!device || !device->isReadable() || device->isSequential())
        return false;
    const qint64 left = device->size() - device->pos();
    if (left < 0)
        return false;
    const QByteArray start = device->peek(2);
    return IsScreenFile(static_cast<std::uint64_t>(left), {reinterpret_cast<const std::uint8_t*>(start.constData()),
                                                           static_cast<std::size_t>(start.size())});
}

bool ScreenImageHandler::canRead() const {
    if (!CanRead(device()))
        return false;
    setFormat("scr");
    return true;
}

bool ScreenImageHandler::read(QImage* image) {
    if (!CanRead(device()))
        return false;
    const QByteArray bytes = device()->read(static_cast<qint64>(ScreenBytes));
    if (static_cast<std::size_t>(bytes.size()) != ScreenBytes)
        return false;
    QImage picture(PictureWidth, PictureHeight, QImage::Format_RGB888);
    if (picture.isNull())
        return false;
    DrawColourView(std::span<const std::uint8_t, ScreenBytes>(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                                              ScreenBytes),
                   picture.bits(), static_cast<std::size_t>(picture.bytesPerLine()));
    if (scaledSize_.isValid() && !scaledSize_.isEmpty() && scaledSize_ != picture.size()) {
        // Smooth when shrinking (thumbnails), sharp pixels when enlarging.
        const bool shrinking = scaledSize_.width() < PictureWidth || scaledSize_.height() < PictureHeight;
        picture = picture.scaled(scaledSize_, Qt::IgnoreAspectRatio,
                                 shrinking ? Qt::SmoothTransformation : Qt::FastTransformation);
    }
    *image = picture;
    return true;
}

bool ScreenImageHandler::supportsOption(ImageOption option) const { return option == Size || option == ScaledSize; }

QVariant ScreenImageHandler::option(ImageOption option) const {
    if (option == Size)
        return QSize(PictureWidth, PictureHeight);
    if (option == ScaledSize)
        return scaledSize_;
    return {};
}

void ScreenImageHandler::setOption(ImageOption option, const QVariant& value) {
    if (option == ScaledSize)
        scaledSize_ = value.toSize();
}

}  // namespace imageformats
