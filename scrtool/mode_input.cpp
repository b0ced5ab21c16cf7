#include "scrtool/mode_input.h"

#include <algorithm>
#include <filesystem>

#include "scrtool/invocation.h"
#include "screen/screen_layout.h"

namespace scrtool {
namespace {

constexpr char ScreenExtension[] = "scr";

// "6144, 6912 or 6913": the sizes the extension's rows list.
std::string SizesOf(const std::string& extension) {
    std::vector<std::uint64_t> sizes;
    for (const modes::PictureMode& mode : modes::PictureModes())
        if (modes::ModeFor(extension, mode.sizes.empty() ? 0 : mode.sizes.front()) == &mode)
            sizes.insert(sizes.end(), mode.sizes.begin(), mode.sizes.end());
    std::sort(sizes.begin(), sizes.end());
    std::string text;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        if (i > 0)
            text += i + 1 == sizes.size() ? " or " : ", ";
        text += std::to_string(sizes[i]);
    }
    return text;
}

// "not a screen file (6911 bytes, a screen is 6912)" for a classic size, as
// ever; the sizes every .scr mode takes otherwise, and each other format's own.
std::string SizeRefusal(const std::string& extension, std::int64_t size) {
    const std::string count = std::to_string(size) + " bytes, ";
    if (extension == ScreenExtension)
        return "not a screen file (" + count + "a screen is " + std::to_string(screen::ScreenSize) +
               "; other .scr pictures are " + SizesOf(extension) + ")";
    const std::string sizes = SizesOf(extension);
    return "not a ." + extension + " picture (" + count +
           (sizes.empty() ? "not a size a ." + extension + " has" : "a ." + extension + " is " + sizes) + ")";
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

}  // namespace

base::Result<Screen> ReadClassicScreen(const std::string& name, std::string_view command) {
    // Standard input's size is known only by reading it: it keeps the one
    // line every other size gets, as does the classic screen's own row (6913).
    if (name != StandardStream)
        if (const base::Result<std::int64_t> size = RegularFileSize(name); size && *size != screen::ScreenSize)
            if (const modes::PictureMode* mode = modes::ModeFor(ModeExtension(name), static_cast<std::uint64_t>(*size));
                mode && mode != &modes::ClassicMode())
                return base::Refusal(std::string(mode->name) + " (" + std::to_string(*size) +
                                     " bytes): " + std::string(command) + " works on the classic screen (" +
                                     std::to_string(screen::ScreenSize) + " bytes)");
    return ReadScreen(name);
}

Screen ClassicScreen(const PictureFile& file) {
    Screen screen{};
    std::copy_n(file.bytes.begin(), std::min(screen.size(), file.bytes.size()), screen.begin());
    return screen;
}

std::string ModeExtension(const std::string& name) {
    std::string extension = std::filesystem::path(name).extension().string();
    if (!extension.empty())
        extension.erase(0, 1);
    extension = Lower(extension);
    return modes::LargestSizeFor(extension) > 0 ? extension : ScreenExtension;
}

base::Result<PictureFile> ReadPictureFile(const std::string& name) {
    if (name == StandardStream) {
        const base::Result<Bytes> screen = ReadInput(name, ScreenFile);
        if (!screen)
            return screen.error();
        return PictureFile{&modes::ClassicMode(), *screen};
    }
    const base::Result<std::int64_t> size = RegularFileSize(name);
    if (!size)
        return size.error();
    const std::string extension = ModeExtension(name);
    const modes::PictureMode* mode = modes::ModeFor(extension, static_cast<std::uint64_t>(*size));
    if (!mode)
        return base::Refusal(SizeRefusal(extension, *size));
    const InputRule rule{InputRule::Size::Exactly, static_cast<std::size_t>(*size), "not a picture file", "it was"};
    base::Result<Bytes> bytes = ReadInput(name, rule);
    if (!bytes)
        return bytes.error();
    return PictureFile{mode, std::move(*bytes)};
}

}  // namespace scrtool
