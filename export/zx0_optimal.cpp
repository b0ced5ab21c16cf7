// The optimal parse: the fewest bits over every parse the format allows.
//
// A parse's cost depends on what came before only through the last offset and
// whether the last block was a literal run (a copy from the last offset may
// only follow literals, literals only follow a copy). So the cheapest prefix
// ending at each byte boundary i is kept for each such state:
//   copy[i][o]     the last block is a copy from offset o ending at i,
//   literals[i][o] the last block is a literal run ending at i, o still last.
// literals[i][o] is needed only where a copy from o can start at i; for a
// new-offset copy or the end, the cheapest state of any kind at i will do,
// and the cheapest literal run ending at i starts from the cheapest copy.
//
// Runs of one kind from a start j to i cost start(j) + gamma(i - j) plus a
// term of i alone, and gamma grows with the length. So a later start with a
// cost no higher than an earlier one beats it for good, and a later start
// dearer by a whole gamma range (its largest minus its smallest value) never
// wins: each Starts list below holds few starts, and scanning it is exact.
// With the new-offset copy lengths scanned in full, nothing is left out.
#include "export/zx0.h"

#include <algorithm>
#include <climits>

#include "export/zx0_parse_nodes.h"

namespace zx0 {
namespace {

constexpr int LiteralBits = 8;
constexpr int OffsetLowBits = 7;
constexpr int OffsetLowValues = 128;
constexpr int Unreached = INT_MAX / 2;

// Starts of runs that may still be the cheapest, positions rising and values
// rising with them; value + gamma(length) is a run's cost up to a term of i.
// Each start is the state's last block; its node is made only when a later
// block comes to follow it, as most starts are overtaken before that.
class Starts {
public:
    struct Start {
        int value;
        int position;
        int from;  // the node before the block
        int length;
        int offset;
        int node = ParseNodes::None;
    };

    void Reset(Start* storage, int capacity) {
        items_ = storage;
        capacity_ = capacity;
    }

    // Whether a start of this value could ever win.
    bool Accepts(int value, int gammaRange) const { return count_ == 0 || value < items_[0].value + gammaRange; }

    void Add(const Start& start, ParseNodes& nodes) {
        while (count_ > 0 && items_[count_ - 1].value >= start.value)
            Drop(items_[--count_], nodes);
        if (count_ == capacity_)  // cannot happen while values stay in range; keep the older
            return;
        nodes.Retain(start.node != ParseNodes::None ? start.node : start.from);
        items_[count_++] = start;
    }

    void Clear(ParseNodes& nodes) {
        while (count_ > 0)
            Drop(items_[--count_], nodes);
    }

    // The cheapest start at or before `latest` for a run ending at i, or nullptr.
    Start* CheapestFor(int i, const std::vector<int>& gamma, int latest = INT_MAX) {
        Start* best = nullptr;
        int bestCost = Unreached;
        for (int k = 0; k < count_ && items_[k].position <= latest; ++k) {
            const int cost = items_[k].value + gamma[i - items_[k].position];
            if (cost < bestCost) {
                bestCost = cost;
                best = &items_[k];
            }
        }
        return best;
    }

    static int CostOf(const Start& start, int i, const std::vector<int>& gamma) {
        return start.value + gamma[i - start.position];
    }

    // The start's node, made now if it has none yet.
    static int NodeOf(Start& start, ParseNodes& nodes) {
        if (start.node == ParseNodes::None) {
            start.node = nodes.Make(start.from, start.length, start.offset);
            nodes.Retain(start.node);
            nodes.Release(start.from);  // now held through the node
        }
        return start.node;
    }

private:
    static void Drop(const Start& start, ParseNodes& nodes) {
        nodes.Release(start.node != ParseNodes::None ? start.node : start.from);
    }

    Start* items_ = nullptr;
    int capacity_ = 0;
    int count_ = 0;
};

struct Copy {
    int offset, cost, from, length;
};

// The search over every parse, one byte boundary at a time.
struct Search {
    explicit Search(std::span<const std::uint8_t> bytes)
        : input(bytes), size(static_cast<int>(bytes.size())), offsets(std::min(size, MaxOffset)),
          gamma(static_cast<std::size_t>(size) + 2) {
        for (int v = 1; v < static_cast<int>(gamma.size()); ++v)
            gamma[v] = GammaBits(v);
        gammaRange = gamma[size] - gamma[1];
        capacity = gammaRange + 1;
        storage.resize(static_cast<std::size_t>(offsets + 1) * 2 * capacity + capacity);
        literalStarts.resize(offsets + 1);
        repeatStarts.resize(offsets + 1);
        for (int o = 0; o <= offsets; ++o) {
            literalStarts[o].Reset(&storage[static_cast<std::size_t>(o) * 2 * capacity], capacity);
            repeatStarts[o].Reset(&storage[(static_cast<std::size_t>(o) * 2 + 1) * capacity], capacity);
        }
        anyLiteralStarts.Reset(&storage[static_cast<std::size_t>(offsets + 1) * 2 * capacity], capacity);
        run.assign(offsets + 1, 0);
        lastMatched.assign(offsets + 1, -2);
        cheapest.assign(size + 1, Unreached);
        cheapestNode.assign(size + 1, ParseNodes::None);
        newCopyCost.resize(size + 2);
        newCopyLength.resize(size + 2);
        // Before the first byte the last offset is 1 and the first block, a literal
        // run, has no flag bit: start at -1 so that its flag is not counted.
        const int root = nodes.Make(ParseNodes::None, 0, 1);
        literalStarts[1].Add({-1, 0, ParseNodes::None, 0, 1, root}, nodes);
        anyLiteralStarts.Add({-1, 0, ParseNodes::None, 0, 1, root}, nodes);
        cheapest[0] = -1;
        cheapestNode[0] = root;
        nodes.Retain(root);
    }

    std::vector<Block> Run() {
        for (int i = 1; i <= size; ++i) {
            FindCopiesEndingAt(i);
            StartRepeatsAt(i);
            SettleStateAt(i);
        }
        return nodes.BlocksEndingAt(cheapestNode[size]);
    }

    // The cheapest copy of each offset ending at i, into copies.
    void FindCopiesEndingAt(int i) {
        const int p = i - 1;  // the byte just passed
        int newCopyKnown = 1;
        copies.clear();
        // Copies ending at i: only offsets at which byte p repeats an earlier byte.
        const auto& earlier = positionsOf[input[p]];
        for (auto q = earlier.rbegin(); q != earlier.rend() && p - *q <= MaxOffset; ++q) {
            const int o = p - *q;
            run[o] = lastMatched[o] == p - 1 ? run[o] + 1 : 1;
            lastMatched[o] = p;
            Copy copy{o, Unreached, ParseNodes::None, 0};
            if (Starts::Start* s = repeatStarts[o].CheapestFor(i, gamma)) {
                copy.cost = Starts::CostOf(*s, i, gamma) + 1;
                copy.from = Starts::NodeOf(*s, nodes);
                copy.length = i - s->position;
            }
            if (run[o] >= 2) {
                while (newCopyKnown < run[o]) {
                    const int k = ++newCopyKnown;
                    const int c = cheapest[i - k] + gamma[k - 1];
                    const bool better = k == 2 || c <= newCopyCost[k - 1];
                    newCopyCost[k] = better ? c : newCopyCost[k - 1];
                    newCopyLength[k] = better ? k : newCopyLength[k - 1];
                }
                const int c = newCopyCost[run[o]] + 1 + gamma[(o - 1) / OffsetLowValues + 1] + OffsetLowBits;
                if (c < copy.cost) {
                    copy.cost = c;
                    copy.length = newCopyLength[run[o]];
                    copy.from = cheapestNode[i - copy.length];
                }
            }
            if (copy.cost < Unreached)
                copies.push_back(copy);
        }
        positionsOf[input[p]].push_back(p);
    }

    void StartRepeatsAt(int i) {
        // Literals up to i, then a copy from o again, where byte i repeats at o:
        // before the copies ending at i join the starts, as a literal run is
        // never empty. A run of matches that broke before i takes its starts along.
        if (i == size)
            return;
        const auto& repeats = positionsOf[input[i]];
        for (auto q = repeats.rbegin(); q != repeats.rend() && i - *q <= MaxOffset; ++q) {
            const int o = i - *q;
            const bool runGoesOn = lastMatched[o] == i - 1;
            if (!runGoesOn)
                repeatStarts[o].Clear(nodes);
            // Literals that all repeat at o, then a copy from o, cost more
            // than the copy before them made longer: only runs of literals
            // from before the current match run need trying.
            const int latest = runGoesOn ? i - run[o] - 1 : INT_MAX;
            Starts::Start* s = literalStarts[o].CheapestFor(i, gamma, latest);
            if (s == nullptr)
                continue;
            const int cost = Starts::CostOf(*s, i, gamma) + LiteralBits * i + 1;
            if (repeatStarts[o].Accepts(cost, gammaRange))
                repeatStarts[o].Add({cost, i, Starts::NodeOf(*s, nodes), i - s->position, 0}, nodes);
        }
    }

    // The literal runs the copies ending at i start, and the cheapest state at i.
    void SettleStateAt(int i) {
        const Copy* cheapestCopy = nullptr;
        for (const Copy& copy : copies) {
            // Literals after a copy that could have gone on cost more than the
            // copy made longer, so the copy starts literals only where it stops.
            const int value = copy.cost - LiteralBits * i;
            const bool copyStops = i == size || input[i] != input[i - copy.offset];
            if (copyStops && literalStarts[copy.offset].Accepts(value, gammaRange))
                literalStarts[copy.offset].Add({value, i, copy.from, copy.length, copy.offset}, nodes);
            if (cheapestCopy == nullptr || copy.cost < cheapestCopy->cost)
                cheapestCopy = &copy;
        }
        const int copyCost = cheapestCopy != nullptr ? cheapestCopy->cost : Unreached;
        // The cheapest state at i: a copy, or literals after the cheapest copy before i.
        Starts::Start* s = anyLiteralStarts.CheapestFor(i, gamma);
        const int literalCost = Starts::CostOf(*s, i, gamma) + LiteralBits * i + 1;
        if (literalCost < copyCost) {
            cheapest[i] = literalCost;
            cheapestNode[i] = nodes.Make(Starts::NodeOf(*s, nodes), i - s->position, 0);
        } else {
            cheapest[i] = copyCost;
            cheapestNode[i] = nodes.Make(cheapestCopy->from, cheapestCopy->length, cheapestCopy->offset);
        }
        nodes.Retain(cheapestNode[i]);
        if (cheapestCopy != nullptr) {
            const int value = copyCost - LiteralBits * i;
            if (anyLiteralStarts.Accepts(value, gammaRange))
                anyLiteralStarts.Add({value, i, cheapestCopy->from, cheapestCopy->length, cheapestCopy->offset,
                                      literalCost < copyCost ? ParseNodes::None : cheapestNode[i]},
                                     nodes);
        }
    }

    std::span<const std::uint8_t> input;
    int size;
    int offsets;
    std::vector<int> gamma;
    int gammaRange = 0;
    int capacity = 0;
    ParseNodes nodes;
    std::vector<Starts::Start> storage;
    std::vector<Starts> literalStarts;  // after a copy from o: literals[i][o]
    std::vector<Starts> repeatStarts;   // after literals, o last: copy from o again
    Starts anyLiteralStarts;            // after the cheapest copy of any offset
    std::vector<int> run;               // bytes matching at o, ending at lastMatched[o]
    std::vector<int> lastMatched;       // the last byte that matched at o
    // Where each byte value was, so far.
    std::vector<std::vector<int>> positionsOf = std::vector<std::vector<int>>(256);
    std::vector<Copy> copies;  // the cheapest copy of each offset ending at i
    std::vector<int> cheapest;
    std::vector<int> cheapestNode;
    // Cheapest (state at i - k) + gamma(k - 1) over k = 2..n, for new-offset copies ending at i.
    std::vector<int> newCopyCost, newCopyLength;
};

}  // namespace

std::vector<Block> OptimalParse(std::span<const std::uint8_t> input) {
    if (input.empty())
        return {};
    return Search(input).Run();
}

}  // namespace zx0
