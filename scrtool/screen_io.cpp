#include "scrtool/screen_io.h"

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "files/file_services.h"
#include "files/retry_interrupted.h"
#include "files/screen_files.h"

namespace scrtool {
namespace {

std::string Cause(int error) { return std::strerror(error); }

std::string Refusal(const std::string& count, std::size_t size, const Expected& expected) {
    return std::string(expected.notIt) + " (" + count + " bytes, " + expected.it + " " + std::to_string(size) + ")";
}

// Reads standard input to its end, but no further than one byte past `size`:
// that byte is enough to refuse an input that is too long.
ReadResult ReadStandardInput(std::size_t size, const Expected& expected) {
    ReadResult result;
    result.bytes.resize(size + 1);
    std::size_t total = 0;
    while (total < result.bytes.size()) {
        const ssize_t got = files::RetryInterrupted(
            [&] { return ::read(STDIN_FILENO, result.bytes.data() + total, result.bytes.size() - total); });
        if (got < 0) {
            result.error = "cannot read: " + Cause(errno);
            return result;
        }
        if (got == 0)
            break;
        total += static_cast<std::size_t>(got);
    }
    if (total != size) {
        const std::string count = total > size ? "more than " + std::to_string(size) : std::to_string(total);
        result.error = Refusal(count, size, expected);
    }
    result.bytes.resize(std::min(total, size));
    return result;
}

}  // namespace

FileSizeResult RegularFileSize(const std::string& name) {
    FileSizeResult result;
    struct stat info {};
    if (::stat(name.c_str(), &info) != 0) {
        result.error = "cannot read: " + Cause(errno);
        return result;
    }
    if (S_ISDIR(info.st_mode)) {
        result.error = "is a folder, not a file";
        return result;
    }
    // The same size test as the window's load, which refuses devices and pipes too.
    result.size = files::FileSize(name);
    if (result.size < 0)
        result.error = "not a regular file";
    return result;
}

bool WouldReplace(const std::string& output, const std::string& input) {
    std::error_code ignored;
    return output == input || std::filesystem::equivalent(output, input, ignored);
}

ReadResult ReadExactly(const std::string& name, std::size_t size, const Expected& expected) {
    if (name == "-")
        return ReadStandardInput(size, expected);
    ReadResult result;
    const FileSizeResult file = RegularFileSize(name);
    if (!file.error.empty()) {
        result.error = file.error;
        return result;
    }
    const std::int64_t found = file.size;
    if (found != static_cast<std::int64_t>(size)) {
        result.error = Refusal(std::to_string(found), size, expected);
        return result;
    }
    result.bytes.resize(size);
    if (const std::error_code failed = files::ReadFileStart(name, result.bytes.data(), size)) {
        result.error = "cannot read: " + failed.message();
        result.bytes.clear();
    }
    return result;
}

ScreenRead ReadScreen(const std::string& name) {
    ScreenRead read;
    ReadResult bytes = ReadExactly(name, files::ScreenFileSize, {"not a screen file", "a screen is"});
    if (!bytes.error.empty()) {
        read.error = bytes.error;
        return read;
    }
    std::copy(bytes.bytes.begin(), bytes.bytes.end(), read.screen.begin());
    return read;
}

}  // namespace scrtool

namespace scrtool {
namespace {

// The length of the UTF-8 character that starts at `at` when it is valid and
// no control character (C0, DEL or C1), else 0.
std::size_t PrintableCharacter(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u; };
    const unsigned lead = byte(at);
    const auto continues = [&](std::size_t i, unsigned low = 0x80, unsigned high = 0xBF) {
        return byte(i) >= low && byte(i) <= high;
    };
    if (lead >= 0x20 && lead < 0x7F)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return continues(at + 1, lead == 0xC2 ? 0xA0 : 0x80) ? 2 : 0;  // C2 80..9F are C1 controls
    if (lead >= 0xE0 && lead <= 0xEF) {
        const unsigned low = lead == 0xE0 ? 0xA0 : 0x80, high = lead == 0xED ? 0x9F : 0xBF;
        return continues(at + 1, low, high) && continues(at + 2) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const unsigned low = lead == 0xF0 ? 0x90 : 0x80, high = lead == 0xF4 ? 0x8F : 0xBF;
        return continues(at + 1, low, high) && continues(at + 2) && continues(at + 3) ? 4 : 0;
    }
    return 0;
}

}  // namespace

std::string ShellQuoted(const std::string& name) {
    bool plain = true;
    for (std::size_t at = 0, length = 0; plain && at < name.size(); at += length)
        plain = (length = PrintableCharacter(name, at)) > 0;
    if (plain)
        return name;
    constexpr char Hex[] = "0123456789abcdef";
    std::string quoted = "$'";
    for (std::size_t at = 0; at < name.size();) {
        if (const std::size_t length = PrintableCharacter(name, at); length > 0) {
            const char c = name[at];
            if (c == '\\' || c == '\'')
                quoted += '\\';
            quoted.append(name, at, length);
            at += length;
            continue;
        }
        const auto byte = static_cast<unsigned char>(name[at++]);
        switch (byte) {
        case '\n': quoted += "\\n"; break;
        case '\t': quoted += "\\t"; break;
        case '\r': quoted += "\\r"; break;
        case 0x1B: quoted += "\\E"; break;
        default: quoted += std::string("\\x") + Hex[byte >> 4] + Hex[byte & 15];
        }
    }
    return quoted + "'";
}

std::string InputName(const std::string& name) { return name == "-" ? "standard input" : ShellQuoted(name); }
std::string OutputName(const std::string& name) { return name == "-" ? "standard output" : ShellQuoted(name); }

}  // namespace scrtool
