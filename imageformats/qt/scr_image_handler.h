#pragma once
// The reader of Spectrum picture files behind the Qt image plugins; the same
// source is built against Qt 6 and Qt 5.

#include <QByteArray>
#include <QImageIOHandler>
#include <QSize>

namespace imageformats {

class ScreenImageHandler : public QImageIOHandler {
public:
    // `extension` names the format, as the file's suffix does ("scr", "mlt").
    explicit ScreenImageHandler(QByteArray extension) : extension_(std::move(extension)) {}

    bool canRead() const override;
    bool read(QImage* image) override;
    bool supportsOption(ImageOption option) const override;
    QVariant option(ImageOption option) const override;
    void setOption(ImageOption option, const QVariant& value) override;

    // A device from which a picture of the format can be read: one that
    // knows its size (a pipe or a character device could only tell by being
    // read to its end, which may never come), has left exactly a size the
    // format takes, and is no program. Looks at no more than its first two bytes.
    static bool CanRead(QIODevice* device, const QByteArray& extension);

private:
    QByteArray extension_;
    QSize scaledSize_;
};

}  // namespace imageformats
