#include <gtest/gtest.h>

#include "toolkit/drop/drop.h"
#include "toolkit/drop/drop_target_qt.h"

namespace toolkit {
namespace {

constexpr std::int32_t All = DropCopy | DropMove | DropLink;
constexpr std::int32_t Shift = ShiftKeyBit;
constexpr std::int32_t Ctrl = ControlKeyBit;
constexpr std::int32_t Alt = AltKeyBit;

struct EffectCase {
    std::int32_t matched;
    std::int32_t keys;
    std::int32_t offered;
    std::int32_t expected;
};

TEST(ChooseDropEffect, FollowsTheKeysAndWhatBothSidesAllow) {
    const EffectCase cases[] = {
        // Nothing held: copy wins whenever both sides allow it.
        {All, 0, All, DropCopy},
        {DropCopy, 0, DropCopy, DropCopy},
        // Shift alone moves; other keys with move allowed do not.
        {All, Shift, All, DropMove},
        {All, Ctrl, All, DropCopy},
        {All, Shift | Alt, All, DropCopy},
        // Control+Shift or Alt alone link.
        {All, Ctrl | Shift, All, DropLink},
        {All, Alt, All, DropLink},
        {All, Ctrl | Alt, All, DropCopy},
        // Move without copy is chosen whatever the keys.
        {DropMove | DropLink, 0, All, DropMove},
        {All, 0, DropMove | DropLink, DropMove},
        {DropMove, Alt, All, DropMove},
        // Link when it is the only thing in common, even with no keys.
        {DropLink, 0, All, DropLink},
        {All, 0, DropLink, DropLink},
        // Only copy enabled: no key can turn it into move or link.
        {DropCopy, Shift, All, DropCopy},
        {DropCopy, Ctrl | Shift, All, DropCopy},
        {DropCopy, Alt, All, DropCopy},
        // Nothing in common.
        {DropCopy, 0, DropMove, DropNone},
        {DropCopy, 0, DropLink, DropNone},
        {DropMove | DropLink, 0, DropCopy, DropNone},
        {All, 0, DropNone, DropNone},
        // Bits beyond the three actions, and other keys, count for nothing.
        {DropCopy, Shift | 1 | 2 | 16, 0x8000 | DropCopy, DropCopy},
        {All, Shift | 1 | 2, All, DropMove},
    };
    for (const EffectCase& c : cases)
        EXPECT_EQ(ChooseDropEffect(c.matched, c.keys, c.offered), c.expected)
            << "matched " << c.matched << " keys " << c.keys << " offered " << c.offered;
}

}  // namespace
}  // namespace toolkit
