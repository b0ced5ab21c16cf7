// The search behind packing a ULAplus palette: each pair of two colours
// goes to a group, one colour as INK and the other as PAPER, and no group
// may need more than 8 of either. Pairs are first placed in turn where they
// need the fewest new entries; while some group needs too many, a pair of
// such a group moves to the place that lowers the excess most (a place of
// equal excess taken at random, to walk across plateaus).
#include <algorithm>
#include <cstdint>

#include "picture_in/mode_pack.h"

namespace picture_in {
namespace {

constexpr int Groups = 4;
constexpr int Slots = 8;
constexpr int Sweeps = 200;
constexpr int Attempts = 32;

class Packing {
public:
    explicit Packing(const std::vector<std::array<std::uint8_t, 2>>& pairs) : pairs_(pairs), place_(pairs.size()) {}

    // Ink colour of pair i at place p (group 2 g + swapped).
    std::uint8_t InkOf(std::size_t i, int p) const { return pairs_[i][p & 1]; }
    std::uint8_t PaperOf(std::size_t i, int p) const { return pairs_[i][1 - (p & 1)]; }

    void Put(std::size_t i, int p, int step) {
        const int g = p >> 1;
        if ((inks_[g][InkOf(i, p)] += step) == (step > 0 ? 1 : 0))
            inkCount_[g] += step;
        if ((papers_[g][PaperOf(i, p)] += step) == (step > 0 ? 1 : 0))
            paperCount_[g] += step;
    }
    int Excess(int g) const { return std::max(0, inkCount_[g] - Slots) + std::max(0, paperCount_[g] - Slots); }
    int Excess() const {
        int sum = 0;
        for (int g = 0; g < Groups; ++g)
            sum += Excess(g);
        return sum;
    }
    // New entries pair i would take at place p.
    int Need(std::size_t i, int p) const {
        const int g = p >> 1;
        return (inks_[g][InkOf(i, p)] == 0 ? 1 : 0) + (papers_[g][PaperOf(i, p)] == 0 ? 1 : 0);
    }

    // Pair i (taken out) to its best place; `random` breaks ties.
    void Settle(std::size_t i, std::uint32_t& random) {
        int best = 0, bestExcess = 0, bestNeed = 0, ties = 0;
        for (int p = 0; p < 2 * Groups; ++p) {
            const int needBefore = Need(i, p);
            Put(i, p, 1);
            const int excess = Excess();
            Put(i, p, -1);
            const bool better = p == 0 || excess < bestExcess || (excess == bestExcess && needBefore < bestNeed);
            const bool tie = p > 0 && excess == bestExcess && needBefore == bestNeed;
            random = random * 1664525u + 1013904223u;
            if (better || (tie && (random >> 16) % static_cast<std::uint32_t>(++ties + 1) == 0)) {
                if (better)
                    ties = 0;
                best = p;
                bestExcess = excess;
                bestNeed = needBefore;
            }
        }
        place_[i] = best;
        Put(i, best, 1);
    }

    bool Search(std::uint32_t random) {
        for (std::size_t i = 0; i < pairs_.size(); ++i)
            Settle(i, random);
        for (int sweep = 0; sweep < Sweeps && Excess() > 0; ++sweep)
            for (std::size_t i = 0; i < pairs_.size(); ++i)
                // Now and then a pair of a group that fits moves too, to
                // make room where a colour is wanted.
                if (Excess(place_[i] >> 1) > 0 || ((random = random * 1664525u + 1013904223u) >> 16) % 32 == 0) {
                    Put(i, place_[i], -1);
                    Settle(i, random);
                }
        return Excess() == 0;
    }

    const std::vector<int>& Places() const { return place_; }

private:
    const std::vector<std::array<std::uint8_t, 2>>& pairs_;
    std::vector<int> place_;
    std::array<std::array<int, 256>, Groups> inks_{}, papers_{};
    std::array<int, Groups> inkCount_{}, paperCount_{};
};

}  // namespace

std::optional<std::vector<int>> PlacePairs(const std::vector<std::array<std::uint8_t, 2>>& pairs) {
    // A search that sticks is begun again, the pairs in another order.
    std::vector<std::size_t> order(pairs.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::uint32_t random = 12345;
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        std::vector<std::array<std::uint8_t, 2>> ordered;
        for (std::size_t i : order)
            ordered.push_back(pairs[i]);
        Packing packing(ordered);
        if (packing.Search(random)) {
            std::vector<int> places(pairs.size());
            for (std::size_t i = 0; i < order.size(); ++i)
                places[order[i]] = packing.Places()[i];
            return places;
        }
        for (std::size_t i = order.size(); i > 1; --i) {
            random = random * 1664525u + 1013904223u;
            std::swap(order[i - 1], order[(random >> 8) % i]);
        }
    }
    return std::nullopt;
}

}  // namespace picture_in
