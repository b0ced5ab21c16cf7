#include "screen/screen_store.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "screen/byte_ops.h"
#include "screen/outline_ops.h"
#include "screen/screen_test_support.h"
#include "screen/whole_screen_ops.h"

namespace screen {
namespace {

using testing::FirstDifference;
using testsupport::ScreenBytes;

// What an accepted load does to the store: read the file, then snapshot it.
void LoadAccepted(ScreenStore& store, const ScreenBytes& bytes) {
    std::memcpy(store.working(), bytes.data(), bytes.size());
    TakeUndoCopy(store);
}

bool WorkingEquals(const ScreenStore& store, const ScreenBytes& bytes) {
    return FirstDifference(store.working(), bytes.data(), 0, 6912) == -1;
}

TEST(ScreenStore, StartsZeroFilledWithTheUndoScreenRightAfterTheWorkingScreen) {
    ScreenStore store;
    const ScreenBytes zero{};
    EXPECT_EQ(FirstDifference(store.working(), zero.data(), 0, 6912), -1);
    EXPECT_EQ(FirstDifference(store.undo(), zero.data(), 0, 6912), -1);
    EXPECT_EQ(FirstDifference(store.scratch(), zero.data(), 0, 6912), -1);
    EXPECT_EQ(store.undo() - store.working(), 6912);
}

TEST(ScreenStore, CopiesMoveWholeScreensOnly) {
    ScreenStore store;
    store.working()[0] = 1;
    store.working()[6911] = 2;
    store.scratch()[5] = 9;
    TakeUndoCopy(store);
    EXPECT_EQ(store.undo()[0], 1);
    EXPECT_EQ(store.undo()[6911], 2);
    store.working()[0] = 3;
    store.working()[6911] = 4;
    RestoreUndoCopy(store);
    EXPECT_EQ(store.working()[0], 1);
    EXPECT_EQ(store.working()[6911], 2);
    EXPECT_EQ(store.scratch()[5], 9);
}

struct SnapshotCase {
    const char* what;
    std::function<void(ScreenStore&)> run;
};

void PrintTo(const SnapshotCase& c, std::ostream* os) { *os << c.what; }

class SnapshottingOperation : public ::testing::TestWithParam<SnapshotCase> {};

TEST_P(SnapshottingOperation, SnapshotsTheScreenAsItWasBeforeAndUndoBringsItBack) {
    ScreenStore store;
    LoadAccepted(store, testsupport::RealScreenBytes("screen02"));
    const ScreenBytes before = testsupport::RealScreenBytes("screen04");
    std::memcpy(store.working(), before.data(), before.size());

    GetParam().run(store);
    EXPECT_EQ(FirstDifference(store.undo(), before.data(), 0, 6912), -1);
    RestoreUndoCopy(store);
    EXPECT_TRUE(WorkingEquals(store, before));
    RestoreUndoCopy(store);
    EXPECT_TRUE(WorkingEquals(store, before));
    EXPECT_EQ(FirstDifference(store.undo(), before.data(), 0, 6912), -1);
}

std::function<void(ScreenStore&)> Go(int index) {
    return [index](ScreenStore& store) { ApplyByteOperation(store, index, "7", "$20"); };
}

INSTANTIATE_TEST_SUITE_P(
    Menu, SnapshottingOperation,
    ::testing::Values(SnapshotCase{"Optimize", OptimizeAttributes}, SnapshotCase{"Invert", InvertScreen},
                      SnapshotCase{"Mirror", MirrorHorisontal}, SnapshotCase{"FindContour", FindContour},
                      SnapshotCase{"CreateMask", CreateMask}, SnapshotCase{"Go0", Go(0)}, SnapshotCase{"Go1", Go(1)},
                      SnapshotCase{"Go2", Go(2)}, SnapshotCase{"Go3", Go(3)}, SnapshotCase{"Go4", Go(4)},
                      SnapshotCase{"Go5", Go(5)}, SnapshotCase{"Go6", Go(6)}, SnapshotCase{"Go7", Go(7)}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(UndoDiscipline, UndoBeforeAnythingKeepsTheEmptyScreen) {
    ScreenStore store;
    RestoreUndoCopy(store);
    EXPECT_TRUE(WorkingEquals(store, ScreenBytes{}));
}

TEST(UndoDiscipline, UndoRightAfterALoadChangesNothing) {
    ScreenStore store;
    LoadAccepted(store, testsupport::RealScreenBytes("screen05"));
    RestoreUndoCopy(store);
    EXPECT_TRUE(WorkingEquals(store, testsupport::RealScreenBytes("screen05")));
}

TEST(UndoDiscipline, ClicksAfterTheSnapshotAreLost) {
    ScreenStore store;
    const ScreenBytes& loaded = testsupport::RealScreenBytes("screen01");
    LoadAccepted(store, loaded);
    InvertScreen(store);
    InvertCellsByClick(store, 4, 4, MouseButton::Right);
    RestoreUndoCopy(store);
    EXPECT_TRUE(WorkingEquals(store, loaded));
}

TEST(UndoDiscipline, ClicksBeforeTheSnapshotStay) {
    ScreenStore store;
    LoadAccepted(store, testsupport::RealScreenBytes("screen01"));
    InvertCellsByClick(store, 4, 4, MouseButton::Left);
    ScreenBytes clicked;
    std::memcpy(clicked.data(), store.working(), clicked.size());
    ASSERT_FALSE(WorkingEquals(store, testsupport::RealScreenBytes("screen01")));

    ApplyByteOperation(store, 0, "b1", "b2");
    EXPECT_TRUE(WorkingEquals(store, clicked));
    RestoreUndoCopy(store);
    EXPECT_TRUE(WorkingEquals(store, clicked));
}

TEST(UndoDiscipline, UndoTwiceIsUndoOnce) {
    ScreenStore store;
    const ScreenBytes& loaded = testsupport::RealScreenBytes("screen03");
    LoadAccepted(store, loaded);
    InvertScreen(store);
    RestoreUndoCopy(store);
    EXPECT_TRUE(WorkingEquals(store, loaded));
    RestoreUndoCopy(store);
    EXPECT_TRUE(WorkingEquals(store, loaded));
}

TEST(UndoDiscipline, OnlyTheLastSnapshotIsKept) {
    ScreenStore store;
    LoadAccepted(store, testsupport::RealScreenBytes("screen03"));
    InvertScreen(store);
    ScreenBytes inverted;
    std::memcpy(inverted.data(), store.working(), inverted.size());
    MirrorHorisontal(store);
    RestoreUndoCopy(store);
    EXPECT_TRUE(WorkingEquals(store, inverted));
}

}  // namespace
}  // namespace screen
