#pragma once
// A screen as a .tap file: a BASIC loader and the screen as a CODE block, as
// the ROM's SAVE writes them (each block: its length, a flag byte, the bytes
// and an XOR checksum).

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace exporter {

constexpr int TapeNameLength = 10;
constexpr int ScreenLoadAddress = 16384;
constexpr std::uint8_t HeaderFlag = 0x00;
constexpr std::uint8_t DataFlag = 0xFF;
constexpr std::uint8_t ProgramType = 0;
constexpr std::uint8_t CodeType = 3;
constexpr int LoaderLine = 10;

// The ROM pads names with spaces and prints them: up to 10 characters, each
// printable ASCII.
bool ValidTapeName(std::string_view name);
// A valid tape name from a file name: its stem without other characters, cut to 10.
std::string TapeNameFrom(std::string_view fileName);

// The loader `10 LOAD ""SCREEN$ : PAUSE 0`, autostarting at line 10, then the
// 6912-byte screen as CODE 16384,6912; both blocks carry name.
std::vector<std::uint8_t> ScreenTape(std::span<const std::uint8_t> screen, std::string_view name);

}  // namespace exporter
