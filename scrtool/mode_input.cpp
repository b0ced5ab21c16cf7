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

PictureRead ReadPictureFile(const std::string& name) {
    PictureRead read;
    if (name == StandardStream) {
        ScreenRead screen = ReadScreen(name);
        read.error = screen.error;
        read.file = {&modes::ClassicMode(), Bytes(screen.screen.begin(), screen.screen.end())};
        return read;
    }
    const FileSizeResult size = RegularFileSize(name);
    if (!size.error.empty()) {
        read.error = size.error;
        return read;
    }
    const std::string extension = ModeExtension(name);
    const modes::PictureMode* mode = modes::ModeFor(extension, static_cast<std::uint64_t>(size.size));
    if (!mode) {
        read.error = SizeRefusal(extension, size.size);
        return read;
    }
    ReadResult bytes = ReadExactly(name, static_cast<std::size_t>(size.size), {"not a picture file", "it was"});
    read.error = bytes.error;
    read.file = {mode, std::move(bytes.bytes)};
    return read;
}

}  // namespace scrtool
