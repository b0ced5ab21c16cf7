#pragma once
// The reader of screen files behind the Qt image plugins; the same source is
// built against Qt 6 and Qt 5.

#include <QImageIOHandler>
#include <QSize>

namespace imageformats {

class ScreenImageHandler : public QImageIOHandler {
public:
    bool canRead() const override;
    bool read(QImage* image) override;
    bool supportsOption(ImageOption option) const override;
    QVariant option(ImageOption option) const override;
    void setOption(ImageOption option, const QVariant& value) override;

    // A device from which a screen can be read: one that knows its size
    // (a pipe or a character device could only tell by being read to its
    // end, which may never come), has exactly a screen left, and is no
    // program. Looks at no more than its first two bytes.
    static bool CanRead(QIODevice* device);

private:
    QSize scaledSize_;
};

}  // namespace imageformats
