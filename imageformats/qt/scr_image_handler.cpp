#include "imageformats/qt/scr_image_handler.h"

#include <QImage>
#include <QIODevice>
#include <QVariant>

#include "imageformats/screen_image.h"

namespace imageformats {
namespace {

std::string_view View(const QByteArray& bytes) { return {bytes.constData(), static_cast<std::size_t>(bytes.size())}; }

std::span<const std::uint8_t> Span(const QByteArray& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())};
}

const modes::PictureMode* ModeOfDevice(QIODevice* device, const QByteArray& extension) {
    if (!device || !device->isReadable() || device->isSequential())
        return nullptr;
    const qint64 left = device->size() - device->pos();
    if (left < 0)
        return nullptr;
    return ModeOfFile(View(extension), static_cast<std::uint64_t>(left), Span(device->peek(2)));
}

}  // namespace

bool ScreenImageHandler::CanRead(QIODevice* device, const QByteArray& extension) {
    return ModeOfDevice(device, extension) != nullptr;
}

bool ScreenImageHandler::canRead() const {
    if (!CanRead(device(), extension_))
        return false;
    setFormat(extension_);
    return true;
}

bool ScreenImageHandler::read(QImage* image) {
    const modes::PictureMode* mode = ModeOfDevice(device(), extension_);
    if (!mode)
        return false;
    // The size is one the format takes, so no more than its largest is read.
    const qint64 left = device()->size() - device()->pos();
    const QByteArray bytes = device()->read(left);
    if (bytes.size() != left)
        return false;
    const base::Result<picture::RgbPicture> still = StillPicture(*mode, Span(bytes));
    if (!still)
        return false;
    QImage picture(still->width, still->height, QImage::Format_RGB888);
    if (picture.isNull())
        return false;
    CopyRows(*still, picture.bits(), static_cast<std::size_t>(picture.bytesPerLine()));
    if (scaledSize_.isValid() && !scaledSize_.isEmpty() && scaledSize_ != picture.size()) {
        // Smooth when shrinking (thumbnails), sharp pixels when enlarging.
        const bool shrinking = scaledSize_.width() < picture.width() || scaledSize_.height() < picture.height();
        picture = picture.scaled(scaledSize_, Qt::IgnoreAspectRatio,
                                 shrinking ? Qt::SmoothTransformation : Qt::FastTransformation);
    }
    *image = picture;
    return true;
}

bool ScreenImageHandler::supportsOption(ImageOption option) const { return option == Size || option == ScaledSize; }

QVariant ScreenImageHandler::option(ImageOption option) const {
    if (option == ScaledSize)
        return scaledSize_;
    if (option != Size)
        return {};
    const modes::PictureMode* mode = ModeOfDevice(device(), extension_);
    if (!mode)
        return {};
    if (mode->width > 0 && mode->height > 0)
        return QSize(mode->width, mode->height * mode->rowRepeat);
    // A format whose header sets the size: its picture tells, read without moving on.
    const qint64 left = device()->size() - device()->pos();
    const base::Result<picture::RgbPicture> still = StillPicture(*mode, Span(device()->peek(left)));
    return still ? QSize(still->width, still->height) : QVariant();
}

void ScreenImageHandler::setOption(ImageOption option, const QVariant& value) {
    if (option == ScaledSize)
        scaledSize_ = value.toSize();
}

}  // namespace imageformats
