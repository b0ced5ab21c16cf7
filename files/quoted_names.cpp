#include "files/quoted_names.h"

namespace files {
namespace {

// The length of the UTF-8 character that starts at `at` when it is valid and
// no control character (C0, DEL or C1), else 0.
std::size_t PrintableCharacter(std::string_view text, std::size_t at) {
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

std::string ShellQuoted(std::string_view name) {
    bool plain = true;
    for (std::size_t at = 0, length = 0; plain && at < name.size(); at += length)
        plain = (length = PrintableCharacter(name, at)) > 0;
    if (plain)
        return std::string(name);
    constexpr char Hex[] = "0123456789abcdef";
    std::string quoted = "$'";
    for (std::size_t at = 0; at < name.size();) {
        if (const std::size_t length = PrintableCharacter(name, at); length > 0) {
            const char c = name[at];
            if (c == '\\' || c == '\'')
                quoted += '\\';
            quoted.append(name.substr(at, length));
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

// Built by appending: GCC 12 misreads "'" + text + "'" at -O2 (-Wrestrict).
std::string Quoted(std::string_view text) {
    std::string quoted = ShellQuoted(text);
    if (quoted.size() != text.size())
        return quoted;
    quoted.insert(quoted.begin(), '\'');
    quoted += '\'';
    return quoted;
}

}  // namespace files
