// A ULAplus palette packed from the colour pairs of a picture that has one:
// each pair needs its two colours as an INK and a PAPER of one group, a cell
// of one colour needs it in either. Pairs are placed in turn where they need
// the fewest new entries; single colours last, as they fit anywhere.
#include <algorithm>
#include <iterator>

#include "picture_in/mode_exact.h"
#include "picture_in/mode_pack.h"
#include "picture_in/mode_parts.h"
#include "screen/screen_layout.h"

namespace picture_in {
namespace {

constexpr int Groups = 4;
constexpr int Slots = 8;

struct Group {
    std::vector<std::uint8_t> inks, papers;
};

int SlotOf(const std::vector<std::uint8_t>& side, std::uint8_t c) {
    const auto at = std::find(side.begin(), side.end(), c);
    return at == side.end() ? -1 : static_cast<int>(at - side.begin());
}

// New entries placing ink and paper in the group takes; -1 when no room.
int Need(const Group& g, std::uint8_t ink, std::uint8_t paper) {
    const int inks = SlotOf(g.inks, ink) < 0 ? 1 : 0, papers = SlotOf(g.papers, paper) < 0 ? 1 : 0;
    if (static_cast<int>(g.inks.size()) + inks > Slots || static_cast<int>(g.papers.size()) + papers > Slots)
        return -1;
    return inks + papers;
}

// New entries a cell of the one colour c takes in the group; -1 when no room.
int SingleNeed(const Group& g, std::uint8_t c) {
    if (SlotOf(g.inks, c) >= 0 || SlotOf(g.papers, c) >= 0)
        return 0;
    return static_cast<int>(std::min(g.inks.size(), g.papers.size())) < Slots ? 1 : -1;
}

bool Place(std::array<Group, Groups>& groups, std::uint8_t x, std::uint8_t y) {
    int bestGroup = -1, bestNeed = 3;
    bool swapped = false;
    for (int g = 0; g < Groups; ++g)
        for (const bool swap : {false, true}) {
            const int need = x == y ? SingleNeed(groups[g], x) : Need(groups[g], swap ? y : x, swap ? x : y);
            // Among equal needs, the group with the most room, so that
            // unrelated colours spread over the groups rather than fill one.
            const auto used = [&](int at) { return groups[at].inks.size() + groups[at].papers.size(); };
            if (need >= 0 && (need < bestNeed || (need == bestNeed && need > 0 && used(g) < used(bestGroup)))) {
                bestNeed = need;
                bestGroup = g;
                swapped = swap;
            }
        }
    if (bestGroup < 0)
        return false;
    Group& g = groups[bestGroup];
    if (x == y) {
        if (bestNeed == 0)
            return true;
        (g.papers.size() <= g.inks.size() ? g.papers : g.inks).push_back(x);
        return true;
    }
    const std::uint8_t ink = swapped ? y : x, paper = swapped ? x : y;
    if (SlotOf(g.inks, ink) < 0)
        g.inks.push_back(ink);
    if (SlotOf(g.papers, paper) < 0)
        g.papers.push_back(paper);
    return true;
}

// The pairs of two colours in the order a walk through the colours meets
// them (breadth first, each colour's partners in turn), so that pairs
// sharing colours are placed together; then the single colours.
std::vector<std::array<std::uint8_t, 2>> InPlacingOrder(const std::vector<std::array<std::uint8_t, 2>>& distinct) {
    std::array<std::vector<int>, 256> partners;  // pair indices per colour
    for (std::size_t i = 0; i < distinct.size(); ++i)
        if (distinct[i][0] != distinct[i][1])
            for (std::uint8_t c : distinct[i])
                partners[c].push_back(static_cast<int>(i));
    std::vector<std::array<std::uint8_t, 2>> order;
    std::vector<bool> placed(distinct.size(), false), seen(256, false);
    for (const auto& start : distinct) {
        if (start[0] == start[1] || seen[start[0]])
            continue;
        std::vector<std::uint8_t> queue{start[0]};
        seen[start[0]] = true;
        for (std::size_t at = 0; at < queue.size(); ++at)
            for (int i : partners[queue[at]]) {
                if (placed[i])
                    continue;
                placed[i] = true;
                order.push_back(distinct[i]);
                for (std::uint8_t c : distinct[i])
                    if (!seen[c]) {
                        seen[c] = true;
                        queue.push_back(c);
                    }
            }
    }
    for (const auto& pair : distinct)
        if (pair[0] == pair[1])
            order.push_back(pair);
    return order;
}

}  // namespace

std::optional<ModeDrawing> PackUlaPlus(const std::vector<std::array<std::uint8_t, 2>>& wanted, ModeShape shape) {
    std::array<Group, Groups> groups;
    std::vector<std::array<std::uint8_t, 2>> distinct;
    for (const auto& pair : wanted) {
        const std::array<std::uint8_t, 2> sorted{std::min(pair[0], pair[1]), std::max(pair[0], pair[1])};
        if (std::find(distinct.begin(), distinct.end(), sorted) == distinct.end())
            distinct.push_back(sorted);
    }
    const std::vector<std::array<std::uint8_t, 2>> ordered = InPlacingOrder(distinct);
    std::vector<std::array<std::uint8_t, 2>> two;
    std::copy_if(ordered.begin(), ordered.end(), std::back_inserter(two), [](const auto& p) { return p[0] != p[1]; });
    const std::optional<std::vector<int>> places = PlacePairs(two);
    if (!places)
        return std::nullopt;
    for (std::size_t i = 0; i < two.size(); ++i) {
        Group& g = groups[(*places)[i] >> 1];
        const std::uint8_t ink = two[i][(*places)[i] & 1], paper = two[i][1 - ((*places)[i] & 1)];
        if (SlotOf(g.inks, ink) < 0)
            g.inks.push_back(ink);
        if (SlotOf(g.papers, paper) < 0)
            g.papers.push_back(paper);
    }
    for (const auto& pair : ordered)
        if (pair[0] == pair[1] && !Place(groups, pair[0], pair[1]))
            return std::nullopt;
    ModeDrawing drawing;
    drawing.shape = shape;
    for (int g = 0; g < Groups; ++g)
        for (int s = 0; s < Slots; ++s) {
            if (s < static_cast<int>(groups[g].inks.size()))
                drawing.palette[16 * g + s] = groups[g].inks[s];
            if (s < static_cast<int>(groups[g].papers.size()))
                drawing.palette[16 * g + 8 + s] = groups[g].papers[s];
        }
    for (std::uint8_t grb : drawing.palette)
        drawing.table.push_back(modes::UlaPlusColour(grb));
    drawing.cells.assign(1, {});
    for (const auto& pair : wanted) {
        // The group that holds the pair (as INK and PAPER, either way round).
        CellColours cell;
        for (int g = 0; g < Groups; ++g) {
            const Group& group = groups[g];
            const int i0 = SlotOf(group.inks, pair[0]), p1 = SlotOf(group.papers, pair[1]);
            const int i1 = SlotOf(group.inks, pair[1]), p0 = SlotOf(group.papers, pair[0]);
            if (i0 >= 0 && p1 >= 0) {
                cell = CellColours{static_cast<std::uint8_t>(16 * g + 8 + p1), static_cast<std::uint8_t>(16 * g + i0)};
                break;
            }
            if (i1 >= 0 && p0 >= 0) {
                cell = CellColours{static_cast<std::uint8_t>(16 * g + 8 + p0), static_cast<std::uint8_t>(16 * g + i1)};
                break;
            }
            if (pair[0] == pair[1] && (i0 >= 0 || p0 >= 0)) {
                // One colour: as INK over any PAPER of the group, or as
                // PAPER under any INK.
                cell = i0 >= 0
                           ? CellColours{static_cast<std::uint8_t>(16 * g + 8), static_cast<std::uint8_t>(16 * g + i0)}
                           : CellColours{static_cast<std::uint8_t>(16 * g + 8 + p0), static_cast<std::uint8_t>(16 * g)};
                break;
            }
        }
        drawing.cells[0].push_back(cell);
    }
    return drawing;
}

std::optional<ModeDrawing> ExactHiRes(const Picture& field) {
    for (int number = 0; number < 8; ++number) {
        const auto level = [&](int bit) { return static_cast<std::uint8_t>(number & bit ? 255 : 0); };
        const Rgb ink{level(2), level(4), level(1)};
        const Rgb paper{static_cast<std::uint8_t>(255 - ink.red), static_cast<std::uint8_t>(255 - ink.green),
                        static_cast<std::uint8_t>(255 - ink.blue)};
        if (!std::all_of(field.pixels.begin(), field.pixels.end(), [&](Rgb c) { return c == ink || c == paper; }))
            continue;
        ModeDrawing drawing;
        drawing.shape = ShapeOf(ModeFile::TimexHiRes);
        drawing.hiresInk = static_cast<std::uint8_t>(number);
        drawing.table = {Linear(paper), Linear(ink)};
        drawing.cells.assign(1, std::vector<CellColours>(HiResWidth / 8, CellColours{0, 1}));
        drawing.ink.assign(1, {});
        for (Rgb c : field.pixels)
            drawing.ink[0].push_back(c == ink ? 1 : 0);
        return drawing;
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> ExactBorder(const Picture& field, const ScreenColours& colours) {
    const int segments = BorderFieldWidth / SegmentWidth;
    std::vector<std::uint8_t> border(static_cast<std::size_t>(segments) * BorderFieldHeight);
    for (int y = 0; y < BorderFieldHeight; ++y)
        for (int s = 0; s < segments; ++s) {
            const int x = s * SegmentWidth;
            if (y >= BorderTop && y < BorderTop + screen::ScreenHeight && x >= BorderLeft &&
                x < BorderLeft + screen::ScreenWidth)
                continue;
            const Rgb c = field.at(x, y);
            for (int i = 1; i < SegmentWidth; ++i)
                if (!(field.at(x + i, y) == c))
                    return std::nullopt;
            const auto number = std::find(colours.srgb.begin(), colours.srgb.begin() + 8, c) - colours.srgb.begin();
            if (number == 8)
                return std::nullopt;
            border[static_cast<std::size_t>(y) * segments + s] = static_cast<std::uint8_t>(number);
        }
    return border;
}

}  // namespace picture_in
