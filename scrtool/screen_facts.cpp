#include "scrtool/screen_facts.h"

#include <algorithm>
#include <cstdio>

#include "screen/screen_store.h"
#include "screen/whole_screen_ops.h"

namespace scrtool {
namespace {

using screen::AttributeOffset;
using screen::CellBitmapOffset;

bool AnyPixelSet(const Screen& s, int column, int row) {
    for (int line = 0; line < screen::CellSize; ++line)
        if (s[CellBitmapOffset(column, row) + line * screen::PixelRowStep] != 0)
            return true;
    return false;
}

bool CellDiffers(const Screen& a, const std::uint8_t* b, int column, int row) {
    if (a[AttributeOffset(column, row)] != b[AttributeOffset(column, row)])
        return true;
    for (int line = 0; line < screen::CellSize; ++line) {
        const int offset = CellBitmapOffset(column, row) + line * screen::PixelRowStep;
        if (a[offset] != b[offset])
            return true;
    }
    return false;
}

std::string CellsJson(const std::vector<Cell>& cells) {
    std::string json = "[";
    for (const Cell& cell : cells) {
        json += json.size() > 1 ? "," : "";
        json += '[';
        json += std::to_string(cell.column);
        json += ',';
        json += std::to_string(cell.row);
        json += ']';
    }
    return json + "]";
}

std::string AttributeWords(int attr) {
    char text[64];
    std::snprintf(text, sizeof text, "ink %d paper %d%s%s", screen::inkOf(static_cast<std::uint8_t>(attr)),
                  screen::paperOf(static_cast<std::uint8_t>(attr)), attr & screen::BrightBit ? " bright" : "",
                  attr & screen::FlashBit ? " flash" : "");
    return text;
}

}  // namespace

ScreenFacts ExamineScreen(const Screen& s) {
    ScreenFacts facts;
    // Optimize on a copy, by the same code the window runs, then compare cells.
    Screen optimized = s;
    screen::OptimizeAttributes(optimized);
    for (int row = 0; row < screen::CellRows; ++row) {
        for (int column = 0; column < screen::CellColumns; ++column) {
            const std::uint8_t attr = s[AttributeOffset(column, row)];
            ++facts.attributeCounts[attr];
            const Cell cell{column, row};
            if (attr & screen::FlashBit)
                facts.flash.push_back(cell);
            if (attr & screen::BrightBit)
                facts.bright.push_back(cell);
            if (screen::inkOf(attr) == screen::paperOf(attr) && AnyPixelSet(s, column, row))
                facts.invisiblePixels.push_back(cell);
            if (CellDiffers(s, optimized.data(), column, row))
                facts.optimizeChanges.push_back(cell);
        }
    }
    facts.blank = std::all_of(s.begin(), s.end(), [](std::uint8_t b) { return b == 0; });
    return facts;
}

std::vector<Cell> CellsBreaking(const ScreenFacts& facts, Condition condition) {
    switch (condition) {
    case Condition::NoInvisiblePixels: return facts.invisiblePixels;
    case Condition::NoFlash: return facts.flash;
    case Condition::NoBright: return facts.bright;
    case Condition::Optimized: return facts.optimizeChanges;
    case Condition::NotBlank: return {};
    }
    return {};
}

bool Meets(const ScreenFacts& facts, Condition condition) {
    return condition == Condition::NotBlank ? !facts.blank : CellsBreaking(facts, condition).empty();
}

std::string CellList(const std::vector<Cell>& cells, std::size_t limit) {
    std::string list;
    for (std::size_t i = 0; i < cells.size() && i < limit; ++i) {
        if (i > 0)
            list += ' ';
        list += std::to_string(cells[i].column);
        list += ',';
        list += std::to_string(cells[i].row);
    }
    if (cells.size() > limit)
        list += " and " + std::to_string(cells.size() - limit) + " more";
    return list;
}

std::string InfoText(const std::string& name, const ScreenFacts& facts) {
    std::string text = name + ":\n";
    const auto distinct =
        std::count_if(facts.attributeCounts.begin(), facts.attributeCounts.end(), [](int count) { return count > 0; });
    text += "  attributes used: " + std::to_string(distinct) + "\n";
    for (int attr = 0; attr < 256; ++attr) {
        if (facts.attributeCounts[attr] == 0)
            continue;
        char line[96];
        std::snprintf(line, sizeof line, "    %3d  $%02X  %-28s %3d cells\n", attr, attr, AttributeWords(attr).c_str(),
                      facts.attributeCounts[attr]);
        text += line;
    }
    const auto countLine = [](const char* what, const std::vector<Cell>& cells) {
        std::string line = "  " + std::string(what) + ": " + std::to_string(cells.size());
        return line + (cells.empty() ? "" : " (" + CellList(cells, cells.size()) + ")") + "\n";
    };
    text += countLine("cells with FLASH", facts.flash);
    text += "  cells with BRIGHT: " + std::to_string(facts.bright.size()) + "\n";
    text += countLine("cells with invisible pixels (ink = paper)", facts.invisiblePixels);
    text += "  cells Optimize would change: " + std::to_string(facts.optimizeChanges.size()) + "\n";
    text += std::string("  all zero: ") + (facts.blank ? "yes" : "no") + "\n";
    return text;
}

namespace {

// Length of the well-formed UTF-8 sequence starting at `i`, or 0.
std::size_t Utf8Length(const std::string& text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned low = 0x80, high = 0xBF;  // the allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    if (length == 0 || i + length > text.size() || byte(i + 1) < low || byte(i + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF)
            return 0;
    return length;
}

}  // namespace

std::string JsonString(const std::string& text) {
    std::string json = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80) {
            // File names are bytes; JSON is Unicode. A byte that is no part of
            // UTF-8 shows as the replacement character.
            const std::size_t length = Utf8Length(text, i);
            json += length ? text.substr(i, length) : "\ufffd";
            i += length ? length - 1 : 0;
        } else if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (c == '\n') {
            json += "\\n";
        } else if (c == '\t') {
            json += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            json += escaped;
        } else {
            json += c;
        }
    }
    return json + "\"";
}

std::string InfoJson(const std::string& name, const ScreenFacts& facts) {
    std::string json = "{\"file\":" + JsonString(name) + ",\"attributes\":[";
    bool first = true;
    for (int attr = 0; attr < 256; ++attr) {
        if (facts.attributeCounts[attr] == 0)
            continue;
        json += first ? "" : ",";
        first = false;
        json +=
            "{\"value\":" + std::to_string(attr) + ",\"cells\":" + std::to_string(facts.attributeCounts[attr]) + "}";
    }
    json += "],\"flash\":" + CellsJson(facts.flash);
    json += ",\"bright\":" + CellsJson(facts.bright);
    json += ",\"invisible_pixels\":" + CellsJson(facts.invisiblePixels);
    json += ",\"optimize_changes\":" + CellsJson(facts.optimizeChanges);
    json += std::string(",\"all_zero\":") + (facts.blank ? "true" : "false") + "}";
    return json;
}

}  // namespace scrtool
