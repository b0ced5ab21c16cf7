// The GdkPixbuf loader of Spectrum picture files: GTK programs, GNOME's
// viewers and gdk-pixbuf-thumbnailer read a .scr, and every other format of
// the mode table, as the still picture scrtool draws. A picture has no
// signature, so GdkPixbuf picks this loader by the file type (by the name);
// the loader then takes only a size that name's format takes.

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#define GDK_PIXBUF_ENABLE_BACKEND
#include <gdk-pixbuf/gdk-pixbuf-io.h>
#undef GDK_PIXBUF_ENABLE_BACKEND

#include "imageformats/screen_image.h"

namespace {

void Refuse(GError** error, const char* why) {
    g_set_error_literal(error, GDK_PIXBUF_ERROR, GDK_PIXBUF_ERROR_CORRUPT_IMAGE, why);
}

constexpr char NotAPicture[] = "Not a ZX Spectrum picture: no size its format takes";
constexpr char AProgram[] = "Not a ZX Spectrum screen: this .scr is a Windows program";
constexpr char Undecodable[] = "Not a ZX Spectrum picture: the file does not decode as its format";
constexpr char DefaultExtension[] = "scr";

// Incremental loading gives the loader no name: the most any format takes.
std::uint64_t LargestOfAll() {
    std::uint64_t largest = 0;
    for (const modes::PictureMode& mode : modes::PictureModes())
        largest = std::max(largest, mode.largestSize);
    return largest + 1;
}

// The extension of the file open as descriptor `descriptor`, from the name
// the system keeps for it; empty when there is none to be had.
std::string ExtensionOfDescriptor(int descriptor) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", descriptor);
    char path[PATH_MAX];
    const ssize_t length = readlink(link, path, sizeof path - 1);
    if (length <= 0)
        return {};
    const std::string name(path, static_cast<std::size_t>(length));
    const std::size_t dot = name.rfind('.');
    const std::size_t slash = name.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return name.substr(dot + 1);
}

std::string ExtensionOf(FILE* file) {
    const std::string extension = ExtensionOfDescriptor(fileno(file));
    return modes::LargestSizeFor(extension) > 0 ? extension : DefaultExtension;
}

// GdkPixbuf hands the pieces of a file it reads itself to the loader without
// its name, but the file is open in this process while the pieces come (and
// may be closed before the last call): the names and sizes of the open
// regular files a row's extension knows, taken while they are open.
struct OpenFile {
    std::string extension;
    std::uint64_t size;
};

std::vector<OpenFile> OpenPictureFiles() {
    std::vector<OpenFile> open;
    constexpr int MostDescriptors = 256;
    for (int descriptor = 0; descriptor < MostDescriptors; ++descriptor) {
        struct stat facts {};
        if (fstat(descriptor, &facts) != 0 || !S_ISREG(facts.st_mode))
            continue;
        std::string extension = ExtensionOfDescriptor(descriptor);
        if (modes::LargestSizeFor(extension) > 0)
            open.push_back({std::move(extension), static_cast<std::uint64_t>(facts.st_size)});
    }
    return open;
}

// The row the open files of the bytes' size choose, when they agree on one.
const modes::PictureMode* ModeOfOpenFile(const std::vector<OpenFile>& open, const std::vector<std::uint8_t>& bytes) {
    const modes::PictureMode* found = nullptr;
    for (const OpenFile& file : open) {
        const modes::PictureMode* mode =
            file.size == bytes.size() ? imageformats::ModeOfFile(file.extension, bytes.size(), bytes) : nullptr;
        if (mode && found && mode != found)
            return nullptr;
        found = mode ? mode : found;
    }
    return found;
}

// The row of bytes that came with no name: the open file's when it tells,
// else a .scr's by their size when one takes it (the screen type is the one
// most files come by), else the first row of another format that takes the
// size and decodes the bytes.
const modes::PictureMode* ModeOfUnnamed(const std::vector<OpenFile>& open, const std::vector<std::uint8_t>& bytes) {
    if (const modes::PictureMode* mode = ModeOfOpenFile(open, bytes))
        return mode;
    if (const modes::PictureMode* mode = imageformats::ModeOfFile(DefaultExtension, bytes.size(), bytes))
        return mode;
    for (const modes::PictureMode& mode : modes::PictureModes())
        if (mode.Accepts(bytes.size()) && mode.decode(bytes, screen::FlashPhase::First))
            return &mode;
    return nullptr;
}

// The picture of a whole file's bytes of `mode`, or null with the reason.
GdkPixbuf* PictureOf(const modes::PictureMode* mode, const std::vector<std::uint8_t>& bytes, GError** error) {
    if (!mode) {
        const bool program =
            bytes.size() >= 2 && bytes[0] == 'M' && bytes[1] == 'Z' && modes::ModeFor(DefaultExtension, bytes.size());
        Refuse(error, program ? AProgram : NotAPicture);
        return nullptr;
    }
    const base::Result<picture::RgbPicture> still = imageformats::StillPicture(*mode, bytes);
    if (!still) {
        Refuse(error, Undecodable);
        return nullptr;
    }
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, still->width, still->height);
    if (!pixbuf) {
        g_set_error_literal(error, GDK_PIXBUF_ERROR, GDK_PIXBUF_ERROR_INSUFFICIENT_MEMORY,
                            "Not enough memory for the picture of a screen");
        return nullptr;
    }
    imageformats::CopyRows(*still, gdk_pixbuf_get_pixels(pixbuf),
                           static_cast<std::size_t>(gdk_pixbuf_get_rowstride(pixbuf)));
    return pixbuf;
}

// Whole-file loading. Only a regular file can show its size without being
// read to the end: a pipe or a device is refused unread, and so is a size
// the name's format does not take.
GdkPixbuf* LoadFile(FILE* file, GError** error) {
    struct stat facts {};
    const std::string extension = ExtensionOf(file);
    if (fstat(fileno(file), &facts) != 0 || !S_ISREG(facts.st_mode) ||
        !modes::ModeFor(extension, static_cast<std::uint64_t>(facts.st_size))) {
        Refuse(error, NotAPicture);
        return nullptr;
    }
    std::vector<std::uint8_t> bytes(imageformats::LookLimit(extension));
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    return PictureOf(imageformats::ModeOfFile(extension, bytes.size(), bytes), bytes, error);
}

// Incremental loading: the bytes arrive in pieces, and no more than one byte
// past the largest picture file is kept before the load is refused.
struct Progress {
    GdkPixbufModuleSizeFunc askSize;
    GdkPixbufModulePreparedFunc prepared;
    GdkPixbufModuleUpdatedFunc updated;
    gpointer caller;
    std::vector<std::uint8_t> bytes;
    std::vector<OpenFile> open;  // taken with the first piece
    bool openTaken = false;
};

gpointer BeginLoad(GdkPixbufModuleSizeFunc askSize, GdkPixbufModulePreparedFunc prepared,
                   GdkPixbufModuleUpdatedFunc updated, gpointer caller, GError**) {
    return new Progress{askSize, prepared, updated, caller, {}, {}, false};
}

gboolean LoadIncrement(gpointer context, const guchar* data, guint size, GError** error) {
    auto* progress = static_cast<Progress*>(context);
    if (!progress->openTaken) {
        progress->open = OpenPictureFiles();
        progress->openTaken = true;
    }
    const std::uint64_t limit = LargestOfAll();
    const std::size_t room = limit - progress->bytes.size();
    progress->bytes.insert(progress->bytes.end(), data, data + std::min<std::size_t>(size, room));
    if (progress->bytes.size() >= limit) {
        Refuse(error, NotAPicture);
        return FALSE;
    }
    return TRUE;
}

gboolean StopLoad(gpointer context, GError** error) {
    auto* progress = static_cast<Progress*>(context);
    gboolean done = FALSE;
    if (GdkPixbuf* pixbuf = PictureOf(ModeOfUnnamed(progress->open, progress->bytes), progress->bytes, error)) {
        int width = gdk_pixbuf_get_width(pixbuf);
        int height = gdk_pixbuf_get_height(pixbuf);
        if (progress->askSize)
            progress->askSize(&width, &height, progress->caller);
        // A caller that asks for no pixels wants only the size.
        if (width > 0 && height > 0) {
            if (progress->prepared)
                progress->prepared(pixbuf, nullptr, progress->caller);
            if (progress->updated)
                progress->updated(pixbuf, 0, 0, gdk_pixbuf_get_width(pixbuf), gdk_pixbuf_get_height(pixbuf),
                                  progress->caller);
        }
        g_object_unref(pixbuf);
        done = TRUE;
    }
    delete progress;
    return done;
}

// The file types and extensions the loader is chosen by, NULL-terminated.
std::vector<gchar*> Terminated(std::vector<std::string>& texts) {
    std::vector<gchar*> list;
    for (std::string& text : texts)
        list.push_back(text.data());
    list.push_back(nullptr);
    return list;
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
    static std::vector<std::string> types = [] {
        std::vector<std::string> list{SCRLAB_SCREEN_MIME_TYPE};
        std::string all = SCRLAB_PICTURE_MIME_TYPES;
        for (std::size_t start = 0, end; start < all.size(); start = end + 1) {
            end = std::min(all.find(',', start), all.size());
            if (end > start)
                list.push_back(all.substr(start, end - start));
        }
        return list;
    }();
    static std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const modes::PictureMode& mode : modes::PictureModes())
            for (std::string_view extension : mode.extensions)
                if (std::find(list.begin(), list.end(), extension) == list.end())
                    list.emplace_back(extension);
        return list;
    }();
    static std::vector<gchar*> mimeTypes = Terminated(types);
    static std::vector<gchar*> extensions = Terminated(names);
    info->name = const_cast<gchar*>("scr");
    info->signature = signature;
    info->description = const_cast<gchar*>("ZX Spectrum screen");
    info->mime_types = mimeTypes.data();
    info->extensions = extensions.data();
    info->flags = GDK_PIXBUF_FORMAT_THREADSAFE;
    info->license = const_cast<gchar*>("GPL");
}

}  // extern "C"
