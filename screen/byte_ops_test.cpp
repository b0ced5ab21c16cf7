#include "screen/byte_ops.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "screen/screen_test_support.h"

namespace screen {
namespace {

using testing::FirstDifference;
using testsupport::ScreenBytes;

struct FieldCase {
    std::string text;
    int operand;
};

void PrintTo(const FieldCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class FieldText : public ::testing::TestWithParam<FieldCase> {};

TEST_P(FieldText, GivesTheOperand) {
    EXPECT_EQ(static_cast<std::uint8_t>(TextToNumber(GetParam().text)), GetParam().operand);
}

INSTANTIATE_TEST_SUITE_P(Texts, FieldText,
                         ::testing::Values(FieldCase{"71", 71}, FieldCase{"$47", 71}, FieldCase{"$4f", 79},
                                           FieldCase{"$4F", 79}, FieldCase{"%01000111", 71}, FieldCase{"  +12", 12},
                                           FieldCase{"\t 7", 7}, FieldCase{"-1", 255}, FieldCase{"256", 0},
                                           FieldCase{"300", 44}, FieldCase{"12abc", 12}, FieldCase{"0x10", 0},
                                           FieldCase{"- 5", 0}, FieldCase{"$", 0}, FieldCase{"%2", 0},
                                           FieldCase{"%1012", 5}, FieldCase{"-$10", 240}, FieldCase{"b1", 0},
                                           FieldCase{"", 0}, FieldCase{"+-3", 0}, FieldCase{"$g1", 0},
                                           FieldCase{"12 34", 12}));

TEST(TextToNumber, KeepsTheSignedValue) {
    EXPECT_EQ(TextToNumber("-1"), -1);
    EXPECT_EQ(TextToNumber("-$10"), -16);
    EXPECT_EQ(TextToNumber("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(TextToNumber("$FFFFFFFFFFFFFFFF"), -1);
    EXPECT_EQ(TextToNumber("18446744073709551616"), 0);  // 2^64 wraps to 0
}

// The digit string modulo 256, by long division.
int DecimalModulo256(const std::string& digits) {
    int remainder = 0;
    for (char c : digits) {
        remainder = (remainder * 10 + (c - '0')) % 256;
    }
    return remainder;
}

TEST(TextToNumber, LongDigitRunsWrapToTheRightLowByte) {
    const std::string forty = "9876543210987654321098765432109876543219";
    ASSERT_EQ(forty.size(), 40u);
    const int low = DecimalModulo256(forty);
    EXPECT_EQ(static_cast<std::uint8_t>(TextToNumber(forty)), low);
    std::string negative = "-";  // appended, not "-" + forty: GCC 12 -O3 warns on that
    negative += forty;
    EXPECT_EQ(static_cast<std::uint8_t>(TextToNumber(negative)), (256 - low) % 256);
    EXPECT_EQ(static_cast<std::uint8_t>(TextToNumber("$123456789abcdef0123456789AbCdEf5c")), 0x5C);
    std::string binary(72, '1');
    binary.front() = '%';
    binary.back() = '0';
    EXPECT_EQ(static_cast<std::uint8_t>(TextToNumber(binary)), 0xFE);
}

// An attribute area holding every byte value three times over.
void GiveEveryAttribute(ScreenBytes& work) {
    for (int index = 0; index < 768; ++index) {
        work[6144 + index] = static_cast<std::uint8_t>(index);
    }
}

struct OperationCase {
    const char* what;
    int index;
    std::string b1;
    std::string b2;
    std::vector<std::pair<int, int>> changes;  // byte value before and after
    bool othersStay = true;                    // false: only the listed values are checked
};

void PrintTo(const OperationCase& c, std::ostream* os) { *os << c.what; }

class ByteOperationRule : public ::testing::TestWithParam<OperationCase> {};

TEST_P(ByteOperationRule, ChangesExactlyTheListedValues) {
    const OperationCase& c = GetParam();
    ScreenBytes work{};
    GiveEveryAttribute(work);
    ApplyByteOperation(work, c.index, c.b1, c.b2);
    std::vector<int> expected(256);
    for (int value = 0; value < 256; ++value) {
        expected[value] = value;
    }
    for (const auto& [before, after] : c.changes) {
        expected[before] = after;
    }
    std::vector<bool> checked(256, c.othersStay);
    for (const auto& change : c.changes) {
        checked[change.first] = true;
    }
    for (int index = 0; index < 768; ++index) {
        if (checked[index % 256]) {
            ASSERT_EQ(work.data()[6144 + index], expected[index % 256]) << "byte value " << index % 256;
        }
    }
}

std::vector<std::pair<int, int>> Every(int (*rule)(int)) {
    std::vector<std::pair<int, int>> changes;
    for (int value = 0; value < 256; ++value) {
        changes.emplace_back(value, rule(value));
    }
    return changes;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ByteOperationRule,
    ::testing::Values(
        OperationCase{"none", 0, "1", "2", {}}, OperationCase{"unknown_index_8", 8, "1", "2", {}},
        OperationCase{"unknown_index_negative", -1, "1", "2", {}},
        OperationCase{"replace_56_by_71", 1, "56", "71", {{56, 71}}},
        OperationCase{"and_ignores_b1", 2, "99", "$0F", Every([](int a) { return a & 15; })},
        OperationCase{"or_ignores_b1", 3, "99", "%11000000", Every([](int a) { return a | 192; })},
        OperationCase{"xor_ignores_b1", 4, "99", "-1", Every([](int a) { return a ^ 255; })},
        OperationCase{"untouched_fields_and_clears", 2, "b1", "b2", Every([](int) { return 0; })},
        OperationCase{"untouched_fields_replace", 1, "b1", "b2", {}},
        OperationCase{"untouched_fields_or", 3, "b1", "b2", {}},
        OperationCase{"untouched_fields_xor", 4, "b1", "b2", {}},
        OperationCase{"untouched_fields_ink", 5, "b1", "b2", {}},
        OperationCase{"untouched_fields_paper", 6, "b1", "b2", {}},
        OperationCase{"untouched_fields_both", 7, "b1", "b2", {}},
        OperationCase{"ink_0_to_2", 5, "0", "2", Every([](int a) { return (a & 7) == 0 ? a | 2 : a; })},
        OperationCase{"ink_0_to_66_sets_bright", 5, "0", "66", Every([](int a) { return (a & 7) == 0 ? a | 66 : a; })},
        OperationCase{"ink_b1_above_7_never_matches", 5, "8", "3", {}},
        OperationCase{"paper_b1_8_never_matches", 6, "8", "1", {}},
        OperationCase{"paper_7_to_32_becomes_paper_0", 6, "7", "32",
                      Every([](int a) { return (a & 56) == 56 ? a & 199 : a; })},
        OperationCase{"paper_2_to_13_ors_bright_in", 6, "2", "13",
                      Every([](int a) { return (a & 56) == 16 ? (a & 192) | 104 | (a & 7) : a; })},
        OperationCase{"both_2_to_5", 7, "2", "5", {{18, 45}, {10, 13}, {16, 40}, {0x92, 0xAD}, {0x51, 0x69}}, false}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(ByteOperations, ChangeBothTestsThePaperTheInkStepLeft) {
    ScreenBytes work{};
    work.data()[6144] = 2;      // paper 0, ink 2
    work.data()[6145] = 8 + 1;  // paper 1, ink 1
    // Byte 2: the ink step ORs in 18 (paper 2, ink 2), so the paper step now
    // matches b1 = 2 and ORs in 18 x 8 = 144.
    ApplyByteOperation(work, 7, "2", "18");
    EXPECT_EQ(work.data()[6144], 146);
    EXPECT_EQ(work.data()[6145], 9);
    // Byte 9: the ink step gives 8 | 17 = 25 (paper 3), so the paper step no
    // longer matches b1 = 1.
    ApplyByteOperation(work, 7, "1", "17");
    EXPECT_EQ(work.data()[6145], 25);
}

class ByteOperationOnRealScreen : public ::testing::TestWithParam<std::tuple<std::string, int>> {};

TEST_P(ByteOperationOnRealScreen, LeavesTheBitmapAlone) {
    const auto& [name, index] = GetParam();
    const ScreenBytes& original = testsupport::RealScreenBytes(name);
    ScreenBytes work{};
    std::memcpy(work.data(), original.data(), original.size());
    ApplyByteOperation(work, index, "$C7", "%10101");
    EXPECT_EQ(FirstDifference(work.data(), original.data(), 0, 6144), -1);
}

INSTANTIATE_TEST_SUITE_P(Screens, ByteOperationOnRealScreen,
                         ::testing::Combine(::testing::ValuesIn(testsupport::RealScreenNames()),
                                            ::testing::Range(0, 8)));

}  // namespace
}  // namespace screen
