#include "export/source_text.h"

#include <algorithm>
#include <iterator>
#include <cctype>
#include <cstdio>

namespace exporter {
namespace {

constexpr int BytesPerLine = 16;

// Register and condition names the assemblers take for operands, and C's
// keywords: a label or array with one of these names would not build.
constexpr std::string_view ReservedNames[] = {
    "a",      "b",      "c",        "d",        "e",        "h",     "l",        "i",       "r",
    "f",      "af",     "bc",       "de",       "hl",       "ix",    "iy",       "sp",      "ixh",
    "ixl",    "iyh",    "iyl",      "nz",       "z",        "nc",    "po",       "pe",      "p",
    "m",      "auto",   "break",    "case",     "char",     "const", "continue", "default", "do",
    "double", "else",   "enum",     "extern",   "float",    "for",   "goto",     "if",      "inline",
    "int",    "long",   "register", "restrict", "return",   "short", "signed",   "sizeof",  "static",
    "struct", "switch", "typedef",  "union",    "unsigned", "void",  "volatile", "while"};

bool Reserved(const std::string& name) {
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char ch) { return std::tolower(ch); });
    return std::find(std::begin(ReservedNames), std::end(ReservedNames), lower) != std::end(ReservedNames);
}

// A comment's text on one line, unable to close a C comment early.
std::string CommentText(std::string_view about) {
    std::string text;
    for (char ch : about) {
        if (static_cast<unsigned char>(ch) < 0x20)
            ch = ' ';
        if (ch == '/' && !text.empty() && text.back() == '*')
            text += ' ';
        text += ch;
    }
    return text;
}

}  // namespace

std::string FileStem(std::string_view fileName) {
    const auto slash = fileName.find_last_of('/');
    if (slash != std::string_view::npos)
        fileName.remove_prefix(slash + 1);
    const auto dot = fileName.find_last_of('.');
    if (dot != std::string_view::npos && dot > 0)
        fileName = fileName.substr(0, dot);
    return std::string(fileName);
}

std::string IdentifierFrom(std::string_view fileName) {
    std::string name = FileStem(fileName);
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch)) || static_cast<unsigned char>(ch) >= 0x80)
            ch = '_';
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name.front())))
        name.insert(name.begin(), '_');
    if (Reserved(name))
        name += '_';
    return name;
}

std::string AsmSource(std::string_view name, std::span<const std::uint8_t> bytes, std::string_view about) {
    std::string text = "; " + CommentText(about) + "\n" + std::string(name) + ":\n";
    char number[8];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        text += i % BytesPerLine == 0 ? "        db " : ",";
        std::snprintf(number, sizeof number, "%u", bytes[i]);
        text += number;
        if (i % BytesPerLine == BytesPerLine - 1 || i + 1 == bytes.size())
            text += '\n';
    }
    text += std::string(name) + "_length equ " + std::to_string(bytes.size()) + "\n";
    return text;
}

std::string CSource(std::string_view name, std::span<const std::uint8_t> bytes, std::string_view about) {
    std::string upper(name);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char ch) { return std::toupper(ch); });
    const std::string size = std::to_string(bytes.size());
    std::string text = "/* " + CommentText(about) + " */\n";
    text += "#define " + upper + "_LENGTH " + size + "\n";
    text += "const unsigned char " + std::string(name) + "[" + size + "] = {\n";
    char number[8];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i % BytesPerLine == 0)
            text += "   ";
        std::snprintf(number, sizeof number, " 0x%02x,", bytes[i]);
        text += number;
        if (i % BytesPerLine == BytesPerLine - 1 || i + 1 == bytes.size())
            text += '\n';
    }
    text += "};\n";
    return text;
}

}  // namespace exporter
