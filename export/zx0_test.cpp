#include <gtest/gtest.h>

#include <algorithm>
#include <array>
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
// (position, last offset, whether literals came last): plain and exact. A
// new offset's cost does not depend on the state it leaves, so the cheapest
// state at a position stands for all of them there.
int FewestBits(const Bytes& in) {
    const int n = static_cast<int>(in.size());
    // How many bytes from position i on equal those `to` back.
    std::vector<int> match((n + 1) * (n + 1), 0);
    for (int i = n - 1; i >= 1; --i)
        for (int to = 1; to <= i; ++to)
            if (in[i] == in[i - to])
                match[i * (n + 1) + to] = 1 + match[(i + 1) * (n + 1) + to];
    std::vector<int> best((n + 1) * (n + 1) * 2, INT_MAX);
    auto at = [&](int i, int o, int literalsLast) -> int& { return best[(i * (n + 1) + o) * 2 + literalsLast]; };
    auto lower = [](int& slot, int bits) { slot = std::min(slot, bits); };
    at(0, 1, 0) = -1;  // no flag before the first literal run
    for (int i = 0; i < n; ++i) {
        int cheapest = INT_MAX;
        for (int o = 1; o <= n; ++o)
            for (int lit = 0; lit < 2; ++lit) {
                const int here = at(i, o, lit);
                if (here == INT_MAX)
                    continue;
                cheapest = std::min(cheapest, here);
                if (!lit)
                    for (int len = 1; i + len <= n; ++len)
                        lower(at(i + len, o, 1), here + 1 + GammaBits(len) + 8 * len);
                else if (o <= i)
                    for (int len = 1; len <= match[i * (n + 1) + o]; ++len)
                        lower(at(i + len, o, 0), here + 1 + GammaBits(len));
            }
        if (i == 0 || cheapest == INT_MAX)
            continue;
        for (int to = 1; to <= i; ++to)
            for (int len = 2; len <= match[i * (n + 1) + to]; ++len)
                lower(at(i + len, to, 0), cheapest + 1 + GammaBits((to - 1) / 128 + 1) + 7 + GammaBits(len - 1));
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

// Inputs of up to 22 bytes of one to three symbols, where every short
// parse is tried; then of a few hundred bytes with repeats from 120 to 300
// back, so that offsets need a high part of 1 to 3, on an alphabet from 2
// symbols (short matches everywhere) to 256 (only the repeats). The optimal
// parse is no dearer than the cheapest, and every stream of it decodes.
TEST(Zx0Optimal, NoParseIsCheaperUpToHundredsOfBytesAndFarOffsets) {
    std::mt19937 random(18);
    int farCopies = 0;
    for (int round = 0; round < 330; ++round) {
        const bool small = round < 300;
        const int size = small ? 1 + static_cast<int>(random() % 22) : 200 + static_cast<int>(random() % 200);
        const int symbols = small ? 1 + static_cast<int>(random() % 3) : std::array{2, 4, 16, 256}[random() % 4];
        Bytes in(size);
        for (auto& byte : in)
            byte = static_cast<std::uint8_t>('a' + random() % symbols);
        for (int repeat = 0; !small && repeat < 6; ++repeat) {
            const int length = 3 + static_cast<int>(random() % 30);
            const int back =
                120 + static_cast<int>(random() % static_cast<unsigned>(std::min(181, size - length - 120)));
            const int to = back + static_cast<int>(random() % static_cast<unsigned>(size - back - length + 1));
            std::copy_n(in.begin() + to - back, length, in.begin() + to);
        }
        const auto blocks = OptimalParse(in);
        ASSERT_EQ(ParseBits(blocks), FewestBits(in)) << "round " << round;
        for (const Block& block : blocks)
            farCopies += block.offset > 128;
        for (Format format : {Format::Current, Format::Classic}) {
            const auto stream = Encode(in, blocks, format, Direction::Forwards);
            ASSERT_EQ(stream.size(), static_cast<std::size_t>(ParseBits(blocks) + 7) / 8) << "round " << round;
            ASSERT_EQ(Decode(stream, format, Direction::Forwards), in) << "round " << round;
        }
        ASSERT_EQ(Decode(Compress(in, {Format::Current, Direction::Backwards}), Format::Current, Direction::Backwards),
                  in)
            << "round " << round;
    }
    EXPECT_GE(farCopies, 60);
}

// Streams worked out by hand from the format, bit by bit. Control bits fill a
// byte from its top, a new one fetched when the last is used up; literal and
// offset bytes go where the decompressor reads them. Gamma codes here, value
// bits after the leading 1 each behind a "more" flag (0 forwards, 1
// backwards) and the other flag at the end: 1 is "1", 2 "0 0 1", 3 "0 1 1".
// The end marker is a new offset whose high part is 256.
TEST(Zx0Stream, HandMadeStreamsOfEachBlock) {
    // Literals "abc" (gamma 3: 0 1 1), a new offset (1), high part 1 (1), the
    // low byte 127 - (3 - 1) = 125 shifted left, under the first bit of the
    // length less one, 2 (0 0 1); its last two bits (0 1), then a new offset
    // (1): 0111 1011. The end: high part 256, eight 0 value bits, inverted in
    // the current format (01 x 8, 1), not in the classic one (00 x 8, 1).
    const Bytes abcabc{'a', 'b', 'c', 'a', 'b', 'c'};
    EXPECT_EQ(Compress(abcabc), (Bytes{0x7B, 'a', 'b', 'c', 0xFA, 0x55, 0x55, 0x80}));
    EXPECT_EQ(Compress(abcabc, {Format::Classic}), (Bytes{0x7B, 'a', 'b', 'c', 0xFA, 0x00, 0x00, 0x80}));
    // A repeat: "ab", a copy of 2 from 2 back (low byte 126 << 1 | 1, for a
    // length less one of 1), "X", then the last offset again, 2 long: 0 0 1
    // for "ab", 1 1 new offset and high part, 0 1 literals of 1, 0 repeat;
    // 0 0 1 its length, 1 the end.
    const Bytes repeat{'a', 'b', 'a', 'b', 'X', 'b', 'X'};
    const std::vector<Block> blocks{{2, 0}, {2, 2}, {1, 0}, {2, 2}};
    const Bytes made = Encode(repeat, blocks, Format::Current, Direction::Forwards);
    EXPECT_EQ(made, (Bytes{0x3A, 'a', 'b', 0xFD, 'X', 0x35, 0x55, 0x58}));
    EXPECT_EQ(Decode(made, Format::Current, Direction::Forwards), repeat);
    // 130 literals, then 2 bytes from 130 back: high part 129 / 128 + 1 = 2,
    // "0 0 1" classic and "0 1 1" current; low byte (127 - 129 % 128) << 1 | 1.
    Bytes far;
    for (int i = 0; i < 130; ++i)
        far.push_back(static_cast<std::uint8_t>(i));
    far.insert(far.end(), {0, 1});
    Bytes current{0x00, 0x13}, classic{0x00, 0x13};  // gamma 130: 0 0 0 0 0 0 0 0 0 0 0 1 0 0 1, then a new offset
    current.insert(current.end(), far.begin(), far.begin() + 130);
    classic.insert(classic.end(), far.begin(), far.begin() + 130);
    current.insert(current.end(), {0x75, 0xFD, 0x55, 0x58});
    classic.insert(classic.end(), {0x30, 0xFD, 0x00, 0x08});
    EXPECT_EQ(Compress(far), current);
    EXPECT_EQ(Compress(far, {Format::Classic}), classic);
    // Backwards: the reversed input "cbacba" coded with "more" as 1, the low
    // byte not inverted ((3 - 1) << 1 | 1), nothing inverted; then the stream
    // reversed. Read from its end: 1 1 0 literals of 3, 1 new offset, 0 high
    // part 1, 0 0 the rest of 2, 1 new offset: 1101 0001; 10 x 8, 0.
    EXPECT_EQ(Compress(abcabc, {Format::Current, Direction::Backwards}),
              (Bytes{0x00, 0xAA, 0xAA, 0x05, 'a', 'b', 'c', 0xD1}));
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

// Three screens' streams in the two formats are the same but for the high
// parts' value bits, each inverted, found by the test decoder.
TEST(Zx0Screens, ClassicAndCurrentDifferOnlyInTheOffsetHighBits) {
    for (std::size_t i = 0; i < 3; ++i) {
        const auto& screen = RealScreens()[i];
        const auto current = Compress(screen.bytes);
        const auto classic = Compress(screen.bytes, {Format::Classic});
        std::vector<testing::BitPlace> highBits;
        ASSERT_EQ(Decode(current, Format::Current, Direction::Forwards, &highBits), screen.bytes) << screen.name;
        EXPECT_GT(highBits.size(), 8u) << screen.name;  // more than the end marker's
        Bytes flipped = current;
        for (const testing::BitPlace& place : highBits)
            flipped[place.byte] ^= place.mask;
        EXPECT_EQ(flipped, classic) << screen.name;
        EXPECT_EQ(Decode(current, Format::Classic, Direction::Forwards), std::nullopt) << screen.name;
    }
}

}  // namespace
}  // namespace zx0
