// The greedy parse: at each byte the longest copy there is, else a literal.
// It is the yardstick the optimal parse is measured against.
#include "export/zx0.h"

#include <algorithm>

namespace zx0 {
namespace {

int MatchLength(std::span<const std::uint8_t> input, std::size_t position, int offset) {
    std::size_t length = 0;
    while (position + length < input.size() && input[position + length] == input[position + length - offset])
        ++length;
    return static_cast<int>(length);
}

}  // namespace

std::vector<Block> GreedyParse(std::span<const std::uint8_t> input) {
    std::vector<Block> blocks;
    int lastOffset = 1;
    std::size_t position = 0;
    auto addLiteral = [&] {
        if (blocks.empty() || blocks.back().offset != 0)
            blocks.push_back({0, 0});
        ++blocks.back().length;
        ++position;
    };
    while (position < input.size()) {
        if (position == 0) {
            addLiteral();
            continue;
        }
        const int reach = static_cast<int>(std::min<std::size_t>(position, MaxOffset));
        int bestLength = 0;
        int bestOffset = 0;
        for (int offset = 1; offset <= reach; ++offset) {
            const int length = MatchLength(input, position, offset);
            if (length > bestLength) {
                bestLength = length;
                bestOffset = offset;
            }
        }
        const bool afterLiterals = blocks.back().offset == 0;
        const int repeatLength = afterLiterals && lastOffset <= reach ? MatchLength(input, position, lastOffset) : 0;
        if (repeatLength >= 1 && repeatLength >= bestLength) {
            blocks.push_back({repeatLength, lastOffset});
        } else if (bestLength >= 2) {
            blocks.push_back({bestLength, bestOffset});
            lastOffset = bestOffset;
        } else {
            addLiteral();
            continue;
        }
        position += static_cast<std::size_t>(blocks.back().length);
    }
    return blocks;
}

}  // namespace zx0
