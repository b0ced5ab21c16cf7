#include "export/zx0_parse_nodes.h"

#include <algorithm>

namespace zx0 {

int ParseNodes::Make(int previous, int length, int offset) {
    Retain(previous);
    const Node node{previous, 0, length, offset};
    if (!free_.empty()) {
        const int id = free_.back();
        free_.pop_back();
        nodes_[id] = node;
        return id;
    }
    nodes_.push_back(node);
    return static_cast<int>(nodes_.size()) - 1;
}

void ParseNodes::Retain(int node) {
    if (node != None)
        ++nodes_[node].holders;
}

void ParseNodes::Release(int node) {
    while (node != None && --nodes_[node].holders == 0) {
        free_.push_back(node);
        node = nodes_[node].previous;
    }
}

void ParseNodes::DropIfUnused(int node) {
    if (nodes_[node].holders == 0) {
        free_.push_back(node);
        Release(nodes_[node].previous);
    }
}

std::vector<Block> ParseNodes::BlocksEndingAt(int node) const {
    std::vector<Block> blocks;
    for (; node != None; node = nodes_[node].previous)
        if (nodes_[node].length > 0)
            blocks.push_back({nodes_[node].length, nodes_[node].offset});
    std::reverse(blocks.begin(), blocks.end());
    return blocks;
}

}  // namespace zx0
