// The GdkPixbuf loader of screen files: GTK programs, GNOME's viewers and
// gdk-pixbuf-thumbnailer read a .scr as the colour view the window shows.
// A screen has no signature, so GdkPixbuf picks this loader by the file
// type (image/x-zx-spectrum-screen, *.scr); the loader then takes only
// exactly one screen's bytes that are no Windows program.

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#define GDK_PIXBUF_ENABLE_BACKEND
#include <gdk-pixbuf/gdk-pixbuf-io.h>
#undef GDK_PIXBUF_ENABLE_BACKEND

#include "imageformats/screen_image.h"

namespace {

using imageformats::ScreenBytes;

void Refuse(GError** error, const char* why) {
    g_set_error_literal(error, GDK_PIXBUF_ERROR, GDK_PIXBUF_ERROR_CORRUPT_IMAGE, why);
}

constexpr char NotAScreen[] = "Not a ZX Spectrum screen: a screen file is exactly 6912 bytes";
constexpr char AProgram[] = "Not a ZX Spectrum screen: this .scr is a Windows program";

// The picture of a whole screen file's bytes, or null with the reason.
GdkPixbuf* PictureOf(const std::vector<std::uint8_t>& bytes, GError** error) {
    if (!imageformats::IsScreenFile(bytes.size(), bytes)) {
        Refuse(error, bytes.size() == ScreenBytes ? AProgram : NotAScreen);
        return nullptr;
    }
    GdkPixbuf* pixbuf =
        gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, imageformats::PictureWidth, imageformats::PictureHeight);
    if (!pixbuf) {
        g_set_error_literal(error, GDK_PIXBUF_ERROR, GDK_PIXBUF_ERROR_INSUFFICIENT_MEMORY,
                            "Not enough memory for the picture of a screen");
        return nullptr;
    }
    imageformats::DrawColourView(std::span<const std::uint8_t, ScreenBytes>(bytes.data(), ScreenBytes),
                                 gdk_pixbuf_get_pixels(pixbuf),
                                 static_cast<std::size_t>(gdk_pixbuf_get_rowstride(pixbuf)));
    return pixbuf;
}

// Whole-file loading. Only a regular file can show its size without being
// read to the end: a pipe or a device named .scr is refused unread.
GdkPixbuf* LoadFile(FILE* file, GError** error) {
    struct stat facts {};
    if (fstat(fileno(file), &facts) != 0 || !S_ISREG(facts.st_mode) ||
        static_cast<std::uint64_t>(facts.st_size) != ScreenBytes) {
        Refuse(error, NotAScreen);
        return nullptr;
    }
    std::vector<std::uint8_t> bytes(imageformats::LookLimit);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    return PictureOf(bytes, error);
}

// Incremental loading: the bytes arrive in pieces, and no more than one byte
// past a screen is kept before the load is refused.
struct Progress {
    GdkPixbufModuleSizeFunc askSize;
    GdkPixbufModulePreparedFunc prepared;
    GdkPixbufModuleUpdatedFunc updated;
    gpointer caller;
    std::vector<std::uint8_t> bytes;
};

gpointer BeginLoad(GdkPixbufModuleSizeFunc askSize, GdkPixbufModulePreparedFunc prepared,
                   GdkPixbufModuleUpdatedFunc updated, gpointer caller, GError**) {
    return new Progress{askSize, prepared, updated, caller, {}};
}

gboolean LoadIncrement(gpointer context, const guchar* data, guint size, GError** error) {
    auto* progress = static_cast<Progress*>(context);
    const std::size_t room = imageformats::LookLimit - progress->bytes.size();
    progress->bytes.insert(progress->bytes.end(), data, data + std::min<std::size_t>(size, room));
    if (progress->bytes.size() > ScreenBytes) {
        Refuse(error, NotAScreen);
        return FALSE;
    }
    return TRUE;
}

gboolean StopLoad(gpointer context, GError** error) {
    auto* progress = static_cast<Progress*>(context);
    gboolean done = FALSE;
    if (GdkPixbuf* pixbuf = PictureOf(progress->bytes, error)) {
        int width = imageformats::PictureWidth;
        int height = imageformats::PictureHeight;
        if (progress->askSize)
            progress->askSize(&width, &height, progress->caller);
        // A caller that asks for no pixels wants only the size.
        if (width > 0 && height > 0) {
            if (progress->prepared)
                progress->prepared(pixbuf, nullptr, progress->caller);
            if (progress->updated)
                progress->updated(pixbuf, 0, 0, imageformats::PictureWidth, imageformats::PictureHeight,
                                  progress->caller);
        }
        g_object_unref(pixbuf);
        done = TRUE;
    }
    delete progress;
    return done;
}

}  // namespace

extern "C" {

G_MODULE_EXPORT void fill_vtable(GdkPixbufModule* module) {
    module->load = LoadFile;
    module->begin_load = BeginLoad;
    module->stop_load = StopLoad;
    module->load_increment = LoadIncrement;
}

G_MODULE_EXPORT void fill_info(GdkPixbufFormat* info) {
    // No signature: the file type alone leads here.
    static GdkPixbufModulePattern signature[] = {{nullptr, nullptr, 0}};
    static gchar* mimeTypes[] = {const_cast<gchar*>(SCRLAB_SCREEN_MIME_TYPE), nullptr};
    static gchar* extensions[] = {const_cast<gchar*>("scr"), nullptr};
    info->name = const_cast<gchar*>("scr");
    info->signature = signature;
    info->description = const_cast<gchar*>("ZX Spectrum screen");
    info->mime_types = mimeTypes;
    info->extensions = extensions;
    info->flags = GDK_PIXBUF_FORMAT_THREADSAFE;
    info->license = const_cast<gchar*>("GPL");
}

}  // extern "C"
