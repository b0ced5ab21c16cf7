// The image-format plugin that lets any Qt program read Spectrum picture
// files ("scr", image/x-zx-spectrum-screen, and every other format of the
// mode table, by its extension).

#include <QImageIOPlugin>

#include "imageformats/qt/scr_image_handler.h"
#include "imageformats/screen_image.h"

namespace imageformats {

class ScreenImagePlugin : public QImageIOPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QImageIOHandlerFactoryInterface_iid FILE "scr.json")

public:
    // Taken by name only: with no signature to go by, claiming every file
    // of a picture's size by its contents would take other formats' files.
    // A .scr is always ours (the handler then refuses what is no screen);
    // another name is claimed for a file only at a size its format takes,
    // so that a disk image named .img or an SGI picture named .rgb goes to
    // the readers of those.
    Capabilities capabilities(QIODevice* device, const QByteArray& format) const override {
        const QByteArray extension = format.toLower();
        if (extension.isEmpty() || LookLimit({extension.constData(), static_cast<std::size_t>(extension.size())}) == 0)
            return {};
        if (extension != "scr" && device && !ScreenImageHandler::CanRead(device, extension))
            return {};
        return CanRead;
    }

    QImageIOHandler* create(QIODevice* device, const QByteArray& format) const override {
        const QByteArray extension = format.isEmpty() ? QByteArray("scr") : format.toLower();
        auto* handler = new ScreenImageHandler(extension);
        handler->setDevice(device);
        handler->setFormat(extension);
        return handler;
    }
};

}  // namespace imageformats

#include "scr_image_plugin.moc"
