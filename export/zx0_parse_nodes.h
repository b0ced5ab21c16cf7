#pragma once
// The blocks of the parses still in play, as chains back to the start. A
// chain lives while a list of starts or a byte boundary holds it, so the
// pool stays the size of the live parses rather than of every one tried.

#include <vector>

#include "export/zx0.h"

namespace zx0 {

class ParseNodes {
public:
    static constexpr int None = -1;

    // A block of length from offset (0 for literals) after the chain `previous`.
    int Make(int previous, int length, int offset);
    void Retain(int node);
    void Release(int node);
    // Frees a node just made that nothing came to hold.
    void DropIfUnused(int node);
    // The chain's blocks from the first on, without the empty block at its root.
    std::vector<Block> BlocksEndingAt(int node) const;

private:
    struct Node {
        int previous;
        int holders;
        int length;
        int offset;
    };
    std::vector<Node> nodes_;
    std::vector<int> free_;
};

}  // namespace zx0
