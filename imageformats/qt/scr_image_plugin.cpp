// The image-format plugin that lets any Qt program read screen files as
// pictures ("scr", image/x-zx-spectrum-screen).

#include <QImageIOPlugin>

#include "imageformats/qt/scr_image_handler.h"

namespace imageformats {

class ScreenImagePlugin : public QImageIOPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QImageIOHandlerFactoryInterface_iid FILE "scr.json")

public:
    // Taken by name only: with no signature to go by, claiming every file
    // of a screen's size by its contents would take other formats' files.
    Capabilities capabilities(QIODevice*, const QByteArray& format) const override {
        return format == "scr" ? Capabilities(CanRead) : Capabilities();
    }

    QImageIOHandler* create(QIODevice* device, const QByteArray& format) const override {
        auto* handler = new ScreenImageHandler;
        handler->setDevice(device);
        handler->setFormat(format.isEmpty() ? QByteArray("scr") : format);
        return handler;
    }
};

}  // namespace imageformats

#include "scr_image_plugin.moc"
