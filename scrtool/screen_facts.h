#pragma once
// What info reports and check tests about a screen, found once per screen.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "scrtool/command_line.h"
#include "scrtool/screen_io.h"

namespace scrtool {

struct Cell {
    int column;
    int row;
    bool operator==(const Cell&) const = default;
};

struct ScreenFacts {
    std::array<int, 256> attributeCounts{};  // cells per attribute value
    std::vector<Cell> flash;
    std::vector<Cell> bright;
    // Ink equals paper while some pixel is set: those pixels cannot be seen.
    std::vector<Cell> invisiblePixels;
    // Cells whose bytes Optimize would rewrite.
    std::vector<Cell> optimizeChanges;
    bool blank = false;  // every one of the 6912 bytes is zero
};

ScreenFacts ExamineScreen(const Screen& screen);

// The cells that break a condition; empty when the screen meets it. A blank
// screen breaks not-blank with no cell to name.
std::vector<Cell> CellsBreaking(const ScreenFacts& facts, Condition condition);
bool Meets(const ScreenFacts& facts, Condition condition);

// "3,0 4,0 ..." (column,row), at most `limit` cells, then "and N more".
std::string CellList(const std::vector<Cell>& cells, std::size_t limit);

// The human-readable report of info for one screen.
std::string InfoText(const std::string& name, const ScreenFacts& facts);
// One JSON object for one screen; `name` is escaped.
std::string InfoJson(const std::string& name, const ScreenFacts& facts);
std::string JsonString(const std::string& text);

}  // namespace scrtool
