// Any bytes as the URL list of a drag. The first byte chooses how the rest is
// read: as the raw list, or as file names that are turned into file URLs here
// and must come back out of the drop exactly.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/drop/dropped_files.h"

namespace {

[[noreturn]] void Fail(const char* law) {
    std::fprintf(stderr, "law broken: %s\n", law);
    std::abort();
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t at = 0; at <= text.size(); ++at) {
        if (at == text.size() || text[at] == separator) {
            parts.push_back(text.substr(start, at - start));
            start = at + 1;
        }
    }
    return parts;
}

// Strict UTF-8 without noncharacters: the names a desktop hands over in a
// file URL. Qt's URL decoding turns a noncharacter (U+FDD0 to U+FDEF, and
// U+xFFFE and U+xFFFF) into replacement characters, so such a name cannot
// come back whole; the window then reports the file it cannot open.
bool IsUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80                   ? 1
                                   : lead >= 0xC2 && lead < 0xE0 ? 2
                                   : lead >= 0xE0 && lead < 0xF0 ? 3
                                   : lead >= 0xF0 && lead < 0xF5 ? 4
                                                                 : 0;
        if (length == 0 || i + length > text.size())
            return false;
        std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = code << 6 | (next & 0x3F);
        }
        const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000))
            return false;
        if ((code >= 0xFDD0 && code <= 0xFDEF) || (code & 0xFFFE) == 0xFFFE)
            return false;
        i += length;
    }
    return true;
}

std::string FileUrl(std::string_view path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
            byte == '/' || byte == '-' || byte == '_' || byte == '.' || byte == '~') {
            url.push_back(c);
        } else {
            url.push_back('%');
            url.push_back(hex[byte >> 4]);
            url.push_back(hex[byte & 15]);
        }
    }
    return url;
}

void CheckAnyList(std::string_view bytes) {
    const std::string list = toolkit::DroppedFilesOfUriList(bytes);
    if (list.find('\0') != std::string::npos)
        Fail("the list holds no zero byte");
    std::size_t urls = 0;
    for (std::string_view line : Split(bytes, '\n'))
        urls += line.find_first_not_of(" \t\r") != std::string_view::npos;
    if (!list.empty() && Split(list, '\n').size() > urls)
        Fail("no more names than lines of URLs");
    for (std::string_view name : Split(list, '\n'))
        if (!list.empty() && name.empty())
            Fail("no name is empty");
}

// Names separated by zero bytes, each made absolute.
void CheckRoundTrip(std::string_view bytes) {
    std::vector<std::string> paths;
    for (std::string_view part : Split(bytes, '\0'))
        if (!part.empty() && IsUtf8(part))
            paths.push_back("/" + std::string(part));
    std::string uriList;
    std::string expected;
    for (const std::string& path : paths) {
        uriList += FileUrl(path) + "\r\n";
        if (path.find('\n') == std::string::npos) {
            expected += expected.empty() ? "" : "\n";
            expected += path;
        }
    }
    if (toolkit::DroppedFilesOfUriList(uriList) != expected)
        Fail("dragged file names come back whole and in order");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] & 1)
        CheckRoundTrip(rest);
    else
        CheckAnyList(rest);
    return 0;
}
