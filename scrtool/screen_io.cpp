#include "scrtool/screen_io.h"

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

#include "files/file_io.h"
#include "files/file_services.h"
#include "files/retry_interrupted.h"
#include "files/screen_files.h"

namespace scrtool {
namespace {

constexpr char CannotRead[] = "cannot read";

base::Error WrongSize(const std::string& count, const InputRule& rule) {
    if (rule.sizeRule == InputRule::Size::AtMost)
        return base::Refusal(rule.tooLarge(count));
    return base::Refusal(std::string(rule.notIt) + " (" + count + " bytes, " + rule.it + " " +
                         std::to_string(rule.size) + ")");
}

bool SizeKept(std::size_t found, const InputRule& rule) {
    return rule.sizeRule == InputRule::Size::Exactly ? found == rule.size : found <= rule.size;
}

// Reads standard input to its end, but no further than one byte past the
// rule's size: that byte is enough to refuse an input that is too long.
base::Result<Bytes> ReadStandardInput(const InputRule& rule) {
    Bytes bytes;
    std::size_t total = 0;
    constexpr std::size_t Block = 1 << 16;
    while (total <= rule.size) {
        bytes.resize(std::min(total + Block, rule.size + 1));
        std::size_t got = 0;
        if (const std::error_code fault =
                files::ReadSome(STDIN_FILENO, bytes.data() + total, bytes.size() - total, got))
            return base::Failure(fault, CannotRead);
        if (got == 0)
            break;
        total += got;
    }
    if (!SizeKept(total, rule))
        return WrongSize(total > rule.size ? "more than " + std::to_string(rule.size) : std::to_string(total), rule);
    bytes.resize(total);
    return bytes;
}

}  // namespace

const InputRule ScreenFile{InputRule::Size::Exactly, files::ScreenFileSize, "not a screen file", "a screen is"};
const InputRule BitmapFile{InputRule::Size::Exactly, files::BitmapFileSize, "not a bitmap file", "a bitmap file is"};
const InputRule AttributeFile{InputRule::Size::Exactly, files::AttributeFileSize, "not an attribute file",
                              "an attribute file is"};

base::Result<std::int64_t> RegularFileSize(const std::string& name) {
    struct stat info {};
    if (const std::error_code fault = files::StatusOf(name, info))
        return base::Failure(fault, CannotRead);
    if (S_ISDIR(info.st_mode))
        return base::Refusal("is a folder, not a file");
    // The window's load refuses devices and pipes too.
    if (!S_ISREG(info.st_mode))
        return base::Refusal("not a regular file");
    return static_cast<std::int64_t>(info.st_size);
}

base::Result<Bytes> ReadInput(const std::string& name, const InputRule& rule) {
    if (name == StandardStream)
        return ReadStandardInput(rule);
    const base::Result<std::int64_t> size = RegularFileSize(name);
    if (!size)
        return size.error();
    if (!SizeKept(static_cast<std::size_t>(*size), rule))
        return WrongSize(std::to_string(*size), rule);
    Bytes bytes(static_cast<std::size_t>(*size));
    if (const std::error_code failed = files::ReadFileStart(name, bytes.data(), bytes.size()))
        return base::Failure(failed, CannotRead);
    return bytes;
}

base::Result<Screen> ReadScreen(const std::string& name) {
    const base::Result<Bytes> bytes = ReadInput(name, ScreenFile);
    if (!bytes)
        return bytes.error();
    Screen screen;
    std::copy(bytes->begin(), bytes->end(), screen.begin());
    return screen;
}

}  // namespace scrtool
