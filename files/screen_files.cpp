#include "files/screen_files.h"

#include <algorithm>
#include <array>
#include <cerrno>

#include "files/file_identity.h"
#include "files/file_names.h"
#include "files/file_services.h"

namespace files {

static_assert(BitmapFileSize + AttributeFileSize == ScreenFileSize);
static_assert(screen::AttributeStart == BitmapFileSize, "the attribute area follows the bitmap area");

bool IsScreenFileSize(std::int64_t size) { return size == static_cast<std::int64_t>(ScreenFileSize); }

LoadResult LoadScreen(const std::string& path, ScreenBytes into) {
    if (!IsScreenFileSize(FileSize(path)))
        return LoadResult::NotAScreen;
    // The file can change between the size test and the read; a short or
    // failed read must not leave half a new picture in the caller's screen.
    std::array<std::uint8_t, ScreenFileSize> loaded;
    if (ReadFileStart(path, loaded.data(), loaded.size()))
        return LoadResult::Unreadable;
    std::copy(loaded.begin(), loaded.end(), into.begin());
    return LoadResult::Loaded;
}

std::error_code SaveScreen(const std::string& path, ConstScreenBytes screen) {
    return WriteFileSafely(path, screen.data(), screen.size());
}

SplitResult SplitScreen(const std::string& loadedPath, ConstScreenBytes screen) {
    // An empty base name would put ".screen" and ".attr" into whatever
    // folder the process happens to be in.
    if (loadedPath.empty())
        return {SystemError(ENOENT), SystemError(ENOENT)};
    const std::string base = SplitBaseName(loadedPath);
    // "pic.screen" splits into "pic.screen" and "pic.attr": the loaded file
    // itself would be cut to its bitmap. Nothing is written then.
    for (const char* suffix : {BitmapFileSuffix, AttributeFileSuffix}) {
        if (SameFile(base + suffix, loadedPath))
            return {FileFault::WouldOverwriteSource, FileFault::WouldOverwriteSource};
    }
    const auto bitmap = screen.first<BitmapFileSize>();
    const auto attributes = screen.last<AttributeFileSize>();
    SplitResult result;
    result.bitmap = WriteFileSafely(base + BitmapFileSuffix, bitmap.data(), bitmap.size());
    result.attributes = WriteFileSafely(base + AttributeFileSuffix, attributes.data(), attributes.size());
    return result;
}

}  // namespace files
