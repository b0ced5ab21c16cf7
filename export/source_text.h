#pragma once
// Screen bytes as source text for a build: assembler db lines and a C array.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace exporter {

// A file name without its folders and its last extension ("art/title.scr"
// gives "title"; ".hidden" stays whole).
std::string FileStem(std::string_view fileName);

// A label or C name from a file name: its stem with every character that
// cannot be in a name made '_', '_' before a leading digit, and '_' after a
// name the assemblers or C reserve ("a", "hl", "int").
std::string IdentifierFrom(std::string_view fileName);

// db lines that pasmo, sjasmplus and z80asm all read: the label, 16 decimal
// bytes a line, and NAME_length equ SIZE. about is the first line's comment.
std::string AsmSource(std::string_view name, std::span<const std::uint8_t> bytes, std::string_view about);

// #define NAME_LENGTH SIZE and const unsigned char NAME[SIZE] = {...}; in the
// C that gcc and sdcc both compile.
std::string CSource(std::string_view name, std::span<const std::uint8_t> bytes, std::string_view about);

}  // namespace exporter
