#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>

#include "export/export_test_support.h"
#include "export/screen_bytes.h"
#include "export/zx0.h"
#include "export/zx0_test_decoder.h"

namespace zx0 {
namespace {

using exporter::testing::Bytes;
using exporter::testing::RealScreens;
using testing::Decode;

constexpr int EndMarkerBits = 1 + GammaBits(256);

// Bits a parse costs in the format, counted from the blocks: the first
// literal run has no flag, a copy from the last offset right after literals
// takes a flag and its length, any other copy a flag, the offset and length-1.
int ParseBits(const std::vector<Block>& blocks) {
    int bits = EndMarkerBits - 1, lastOffset = 1;
    bool afterLiterals = false;
    for (const Block& b : blocks) {
        if (b.offset == 0) {
            bits += 1 + GammaBits(b.length) + 8 * b.length;
            afterLiterals = true;
            continue;
        }
        if (afterLiterals && b.offset == lastOffset)
            bits += 1 + GammaBits(b.length);
        else
            bits += 1 + GammaBits((b.offset - 1) / 128 + 1) + 7 + GammaBits(b.length - 1);
        lastOffset = b.offset;
        afterLiterals = false;
    }
    return bits;
}

// The fewest bits of any parse, by trying every block from every state
// (position, last offset, whether literals came last): slow, plain, exact.
int FewestBits(const Bytes& in) {
    const int n = static_cast<int>(in.size());
    std::vector<int> best((n + 1) * (n + 1) * 2, INT_MAX);
    auto at = [&](int i, int o, int literalsLast) -> int& { return best[(i * (n + 1) + o) * 2 + literalsLast]; };
    auto lower = [](int& slot, int bits) { slot = std::min(slot, bits); };
    at(0, 1, 0) = -1;  // no flag before the first literal run
    for (int i = 0; i < n; ++i)
        for (int o = 1; o <= n; ++o)
            for (int lit = 0; lit < 2; ++lit) {
                const int here = at(i, o, lit);
                if (here == INT_MAX)
                    continue;
                for (int len = 1; i + len <= n; ++len) {
                    if (!lit)
                        lower(at(i + len, o, 1), here + 1 + GammaBits(len) + 8 * len);
                    if (i == 0)
                        continue;
                    for (int to = 1; to <= i; ++to) {
                        if (in[i + len - 1] != in[i + len - 1 - to])
                            continue;
                        bool same = true;
                        for (int k = 0; k < len && same; ++k)
                            same = in[i + k] == in[i + k - to];
                        if (!same)
                            continue;
                        if (lit && to == o)
                            lower(at(i + len, to, 0), here + 1 + GammaBits(len));
                        if (len >= 2)
                            lower(at(i + len, to, 0),
                                  here + 1 + GammaBits((to - 1) / 128 + 1) + 7 + GammaBits(len - 1));
                    }
                }
            }
    int fewest = INT_MAX;
    for (int o = 1; o <= n; ++o)
        fewest = std::min({fewest, at(n, o, 0), at(n, o, 1)});
    return fewest + EndMarkerBits;
}

TEST(Zx0Stream, OneByteGivesTheStreamTheFormatDescribes) {
    const Bytes a{'a'};
    EXPECT_EQ(Compress(a), (Bytes{0xD5, 'a', 0x55, 0x60}));
    EXPECT_EQ(Compress(a, {Format::Classic}), (Bytes{0xC0, 'a', 0x00, 0x20}));
    EXPECT_EQ(Compress(a, {Format::Current, Direction::Backwards}), (Bytes{0x80, 0xAA, 'a', 0x6A}));
    EXPECT_EQ(Compress(a, {Format::Classic, Direction::Backwards}), (Bytes{0x80, 0xAA, 'a', 0x6A}));
    EXPECT_TRUE(Compress({}).empty());
}

TEST(Zx0Optimal, NoParseOfSmallInputsIsCheaper) {
    std::mt19937 random(18);
    for (int round = 0; round < 300; ++round) {
        const int size = 1 + static_cast<int>(random() % 22);
        const int symbols = 1 + static_cast<int>(random() % 3);
        Bytes in(size);
        for (auto& byte : in)
            byte = static_cast<std::uint8_t>('a' + random() % symbols);
        const auto blocks = OptimalParse(in);
        ASSERT_EQ(ParseBits(blocks), FewestBits(in)) << "round " << round;
        const auto stream = Encode(in, blocks, Format::Current, Direction::Forwards);
        ASSERT_EQ(Decode(stream, Format::Current, Direction::Forwards), in) << "round " << round;
    }
}

TEST(Zx0Optimal, LongRunsAndFarOffsetsDecode) {
    // A run longer than any gamma range in a screen, and copies from beyond
    // one offset byte (more than 128 back) and beyond two gamma steps.
    Bytes in(6000, 0);
    std::mt19937 random(7);
    for (int i = 1500; i < 2500; ++i)
        in[i] = static_cast<std::uint8_t>(random());
    std::copy(in.begin() + 1500, in.begin() + 2500, in.begin() + 4000);
    for (auto options : {Options{}, Options{Format::Classic}, Options{Format::Current, Direction::Backwards}}) {
        const auto stream = Compress(in, options);
        EXPECT_EQ(Decode(stream, options.format, options.direction), in);
        EXPECT_LT(stream.size(), 1050u);
    }
}

// Every real screen, every part, RCS on and off, both formats, both
// directions: the stream decodes to its input, its size is what the parse
// costs, and the optimal parse is never larger than the greedy one.
class Zx0EveryScreen : public ::testing::TestWithParam<std::size_t> {};

TEST_P(Zx0EveryScreen, EveryPartDecodesAndOptimalBeatsGreedy) {
    using exporter::Part;
    const auto& screen = RealScreens()[GetParam()];
    for (Part part : {Part::All, Part::Bitmap, Part::Attributes}) {
        for (bool rcs : {false, true}) {
            if (rcs && part == Part::Attributes)
                continue;
            auto in = exporter::PartBytes(screen.bytes, part, exporter::Order::Screen);
            if (rcs)
                in = exporter::RcsOrder(in);
            const std::string what = screen.name + " " + std::string(exporter::PartName(part)) + (rcs ? " rcs" : "");
            const auto blocks = OptimalParse(in);
            const auto greedy = GreedyParse(in);
            EXPECT_LE(ParseBits(blocks), ParseBits(greedy)) << what;
            for (Format format : {Format::Current, Format::Classic}) {
                const auto stream = Encode(in, blocks, format, Direction::Forwards);
                EXPECT_EQ(stream.size(), static_cast<std::size_t>(ParseBits(blocks) + 7) / 8) << what;
                EXPECT_EQ(Decode(stream, format, Direction::Forwards), in) << what;
            }
            EXPECT_EQ(
                Decode(Encode(in, greedy, Format::Current, Direction::Forwards), Format::Current, Direction::Forwards),
                in)
                << what << " greedy";
            const auto backwards = Compress(in, {Format::Current, Direction::Backwards});
            EXPECT_EQ(Decode(backwards, Format::Current, Direction::Backwards), in) << what;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(RealScreens, Zx0EveryScreen, ::testing::Range<std::size_t>(0, RealScreens().size()));

TEST(Zx0Screens, ClassicAndCurrentDifferOnlyInTheOffsetHighBits) {
    const auto& in = RealScreens().front().bytes;
    const auto current = Compress(in);
    const auto classic = Compress(in, {Format::Classic});
    ASSERT_EQ(current.size(), classic.size());
    EXPECT_NE(current, classic);
    EXPECT_EQ(Decode(current, Format::Classic, Direction::Forwards), std::nullopt);
}

}  // namespace
}  // namespace zx0
