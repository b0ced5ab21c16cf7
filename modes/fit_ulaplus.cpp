// A ULAplus picture back into cells and a palette. Every cell's one or two
// colours share one of the palette's four groups, one as PAPER and one as
// INK: colours linked through cells form a chain that must share a group
// and alternate PAPER and INK along it, so each chain is coloured in two and
// the chains are packed into the groups, largest first.

#include <algorithm>
#include <array>
#include <numeric>
#include <vector>

#include "modes/cells.h"
#include "modes/mode_error.h"

namespace modes {
namespace {

using screen::ColourCode;

constexpr int Colours = 256, Groups = 4, Slots = 8;
enum Role : std::int8_t { Unplaced = -1, PaperRole = 0, InkRole = 1 };

struct CellUse {
    int frame, x0, y0;
    std::uint8_t a, b;  // its colours; a == b for a cell of one
};

struct Chains {
    std::array<std::vector<int>, Colours> links;
    std::array<bool, Colours> used{};
    std::array<Role, Colours> role;
    std::array<int, Colours> chain;
    std::array<int, Colours> group{};
    std::array<int, Colours> index{};
};

// The colours of each cell, or the refusal of the first that has more than
// two or one outside the palette.
base::Result<std::vector<CellUse>> CellsOf(const screen::DecodedPicture& picture, int cellHeight) {
    std::vector<CellUse> uses;
    for (int frame = 0; frame < picture.frames; ++frame)
        for (int y0 = 0; y0 < screen::ScreenHeight; y0 += cellHeight)
            for (int x0 = 0; x0 < screen::ScreenWidth; x0 += screen::CellSize) {
                const ColourCode first = picture.at(frame, x0, y0);
                ColourCode second = first;
                for (int y = y0; y < y0 + cellHeight; ++y)
                    for (int x = x0; x < x0 + screen::CellSize; ++x) {
                        const ColourCode code = picture.at(frame, x, y);
                        if (!screen::IsUlaPlus(code))
                            return ModeError(ModeErrc::DoesNotFit,
                                             CellPlace(frame, x0, y0) + " has a colour outside the ULAplus palette");
                        if (code != first && second != first && code != second)
                            return ModeError(ModeErrc::DoesNotFit,
                                             CellPlace(frame, x0, y0) + " has more than two colours");
                        if (code != first)
                            second = code;
                    }
                uses.push_back({frame, x0, y0, screen::UlaPlusByteOf(first), screen::UlaPlusByteOf(second)});
            }
    return uses;
}

// PAPER and INK alternating along every chain; false where a chain closes
// on itself with an odd count (a colour would need both).
bool TwoRoles(Chains& chains) {
    chains.role.fill(Unplaced);
    for (int start = 0; start < Colours; ++start) {
        if (!chains.used[start] || chains.role[start] != Unplaced)
            continue;
        chains.role[start] = PaperRole;
        chains.chain[start] = start;
        std::vector<int> todo{start};
        while (!todo.empty()) {
            const int colour = todo.back();
            todo.pop_back();
            for (int next : chains.links[colour]) {
                const Role other = chains.role[colour] == PaperRole ? InkRole : PaperRole;
                if (chains.role[next] == Unplaced) {
                    chains.role[next] = other;
                    chains.chain[next] = start;
                    todo.push_back(next);
                } else if (chains.role[next] != other) {
                    return false;
                }
            }
        }
    }
    return true;
}

// Each chain into the first group with room for its PAPERs and INKs, the
// largest chains first; false when one does not fit.
bool Pack(Chains& chains) {
    std::array<std::array<int, 2>, Colours> need{};
    for (int colour = 0; colour < Colours; ++colour)
        if (chains.used[colour])
            ++need[chains.chain[colour]][chains.role[colour]];
    std::vector<int> order(Colours);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return std::max(need[a][0], need[a][1]) > std::max(need[b][0], need[b][1]); });
    std::array<std::array<int, 2>, Groups> taken{};
    std::array<int, Colours> groupOf{};
    for (int chain : order) {
        if (need[chain][0] + need[chain][1] == 0)
            continue;
        int group = 0;
        while (group < Groups && (taken[group][0] + need[chain][0] > Slots || taken[group][1] + need[chain][1] > Slots))
            ++group;
        if (group == Groups)
            return false;
        groupOf[chain] = group;
        taken[group][0] += need[chain][0];
        taken[group][1] += need[chain][1];
    }
    std::array<std::array<int, 2>, Groups> next{};
    for (int colour = 0; colour < Colours; ++colour)
        if (chains.used[colour]) {
            chains.group[colour] = groupOf[chains.chain[colour]];
            chains.index[colour] = next[chains.group[colour]][chains.role[colour]]++;
        }
    return true;
}

}  // namespace

base::Result<CellFrames> FitUlaPlusCells(const screen::DecodedPicture& picture, int cellHeight) {
    auto uses = CellsOf(picture, cellHeight);
    if (!uses)
        return uses.error();
    Chains chains;
    for (const CellUse& use : *uses) {
        chains.used[use.a] = chains.used[use.b] = true;
        if (use.a != use.b) {
            chains.links[use.a].push_back(use.b);
            chains.links[use.b].push_back(use.a);
        }
    }
    if (!TwoRoles(chains) || !Pack(chains))
        return ModeError(ModeErrc::DoesNotFit, "its colours need more of the palette's places than its 64");
    CellFrames cells(picture.frames);
    cells.ulaPlus.assign(UlaPlusPaletteSize, 0);
    for (int colour = 0; colour < Colours; ++colour)
        if (chains.used[colour])
            cells.ulaPlus[chains.group[colour] * 16 + (chains.role[colour] == PaperRole ? Slots : 0) +
                          chains.index[colour]] = static_cast<std::uint8_t>(colour);
    for (const CellUse& use : *uses) {
        const std::uint8_t ink = chains.role[use.a] == InkRole ? use.a : use.b;
        const std::uint8_t paper = chains.role[use.a] == PaperRole ? use.a : use.b;
        const int group = chains.group[use.a];
        const int inkIndex = chains.role[ink] == InkRole ? chains.index[ink] : 0;
        const int paperIndex = chains.role[paper] == PaperRole ? chains.index[paper] : 0;
        const auto attribute = static_cast<std::uint8_t>(group << 6 | paperIndex << 3 | inkIndex);
        for (int y = use.y0; y < use.y0 + cellHeight; ++y) {
            std::uint8_t bits = 0;
            for (int x = 0; x < screen::CellSize; ++x)
                if (chains.role[ink] == InkRole && screen::UlaPlusByteOf(picture.at(use.frame, use.x0 + x, y)) == ink)
                    bits = static_cast<std::uint8_t>(bits | 0x80 >> x);
            cells.BitsOf(use.frame)[y * screen::LineBytes + use.x0 / screen::CellSize] = bits;
            cells.AttributesOf(use.frame)[y * screen::LineBytes + use.x0 / screen::CellSize] = attribute;
        }
    }
    return cells;
}

}  // namespace modes
